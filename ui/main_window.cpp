#include "ui/main_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

#include "ui/pack_page.h"
#include "ui/unpack_page.h"

namespace qv::ui {
namespace {

constexpr QSize kClientSize(398, 292);
// The window was laid out for this outer size, frame and title bar included;
// it is centred for it, whatever frame the desktop really draws.
constexpr QSize kDesignedOuterSize(404, 324);

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, jobs::Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("窗口"));
  setWindowTitle(QStringLiteral("Quorvane——Tenvari"));
  setFixedSize(kClientSize);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize room = screen->geometry().size() - kDesignedOuterSize;
    move(screen->geometry().topLeft() + QPoint(room.width() / 2, room.height() / 2));
  }

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("选择夹1"));
  tabs_->setGeometry(0, 0, 398, 290);
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setFocusPolicy(Qt::NoFocus);
  tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);
  pack_ = new PackPage(dialogs, clock);
  unpack_ = new UnpackPage(dialogs, clock);
  tabs_->addTab(pack_, QStringLiteral("文件打包"));
  tabs_->addTab(unpack_, QStringLiteral("文件解包"));
  tabs_->setCurrentIndex(0);

  connect(pack_, &PackPage::job_started, this, &MainWindow::job_started);
  connect(pack_, &PackPage::job_ended, this, &MainWindow::job_ended);
  connect(unpack_, &UnpackPage::job_started, this, &MainWindow::job_started);
  connect(unpack_, &UnpackPage::job_ended, this, &MainWindow::job_ended);

  // Esc closes the window wherever the focus is, as the close box does.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  place_group_boxes();
}

// The group boxes sit 8 pixels in from the tab control's corner. The style
// decides where a page begins inside the tab control, and it has decided by
// the time the window is shown.
void MainWindow::place_group_boxes() {
  for (QWidget* page : {static_cast<QWidget*>(pack_), static_cast<QWidget*>(unpack_)}) {
    if (auto* group = page->findChild<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly)) {
      group->move(page->mapFrom(tabs_, QPoint(8, 8)));
    }
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A job still holds the page's controls and the files it writes; the
  // window goes once the outermost job has finished.
  if (running_jobs_ > 0) {
    close_requested_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

void MainWindow::job_started() { ++running_jobs_; }

void MainWindow::job_ended() {
  --running_jobs_;
  if (running_jobs_ == 0 && close_requested_) {
    close_requested_ = false;
    close();
  }
}

}  // namespace qv::ui
