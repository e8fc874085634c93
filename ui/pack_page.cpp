#include "ui/pack_page.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "jobs/destination_path.h"
#include "jobs/pack_job.h"
#include "text/path.h"
#include "ui/job_adapters.h"

namespace qv::ui {
namespace {

const QString kTitle = QStringLiteral("提示");
const QString kNothingChosen = QStringLiteral("要打包的文件不能少哦！");
const QString kListEmpty = QStringLiteral("请点击‘浏览’按钮来往列表框中添加要打包的文件");
const QString kNoDestination = QStringLiteral("要选择将打包的文件存放在什么地方！");

// The selected item's position, -1 when none is: Qt's current row alone is
// not enough, as it can point at an item that is not selected.
int selected_row(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? -1 : list.row(selected.first());
}

}  // namespace

PackPage::PackPage(Dialogs& dialogs, jobs::Clock& clock, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      clock_(clock),
      c_(build_page_controls(this, {QStringLiteral("分组框1"), QStringLiteral("路径编辑框"), QStringLiteral("浏览"),
                                    QStringLiteral("列表框1"), QStringLiteral("文本框1"), QStringLiteral("开始打包"),
                                    QStringLiteral("开 始 打 包"), QStringLiteral("全部清空"), QStringLiteral("返回")})) {
  connect(c_.browse, &QPushButton::clicked, this, &PackPage::add_sources);
  connect(c_.clear, &QPushButton::clicked, this, &PackPage::clear_all);
  connect(c_.back, &QPushButton::clicked, this, &PackPage::go_back);
  connect(c_.start, &QPushButton::clicked, this, &PackPage::start_packing);
  c_.list->viewport()->installEventFilter(this);
}

bool PackPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != c_.list->viewport()) return false;
  const auto type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease) {
    return false;
  }
  if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) return false;
  // The right button never selects: the menu is about the item selected
  // before, wherever the pointer is, and opens when the button comes up.
  if (type == QEvent::MouseButtonRelease) open_context_menu();
  return true;
}

void PackPage::add_sources() {
  const QStringList paths = dialogs_.choose_files(QStringLiteral("请选择要打包的文件:"), QStringLiteral("所有文件|*.*"));
  if (paths.isEmpty()) {
    dialogs_.show_message(kNothingChosen, kTitle);
    return;
  }
  show_path(c_.path, from_job_text(text::folder_part(to_job_text(paths.first()))));
  c_.list->addItems(paths);
  c_.start->setEnabled(true);
  c_.clear->setEnabled(true);
}

void PackPage::open_context_menu() {
  if (selected_row(*c_.list) < 0) return;
  if (dialogs_.popup_menu(QStringLiteral("系统"), {QStringLiteral("删除此项")}) == 0) {
    // The pick takes effect once the menu is gone, as its own event.
    QMetaObject::invokeMethod(this, &PackPage::delete_item, Qt::QueuedConnection);
  }
}

void PackPage::delete_item() {
  const int row = selected_row(*c_.list);
  if (row >= 0) delete c_.list->takeItem(row);
  // Start and clear-all stay enabled even on an emptied list; the start
  // handler's own check answers that case.
}

void PackPage::clear_all() {
  clear_list(c_);
}

void PackPage::go_back() {
  c_.log->clear();
  c_.log->hide();
  c_.list->show();
  c_.back->hide();
  c_.start->show();
  c_.clear->show();
  c_.start->setEnabled(false);
  c_.clear->setEnabled(false);
  c_.browse->setEnabled(true);
}

void PackPage::start_packing() {
  if (c_.list->count() == 0) {
    dialogs_.show_message(kListEmpty, kTitle);
    return;
  }
  const std::optional<QString> destination = dialogs_.choose_package_destination();
  if (!destination) {
    dialogs_.show_message(kNoDestination, kTitle);
    return;
  }
  const jobs::PackRequest request{to_job_text(*destination), jobs::program_folder(), clock_.now()};
  {
    WaitCursor busy;
    show_log_view(c_);

    PageJob job(*c_.list, *c_.log, clock_);
    emit job_started();
    // A failed job has said why in the log; the page shows nothing more.
    jobs::run_pack_job(request, job.host());
  }
  emit job_ended();
}

}  // namespace qv::ui
