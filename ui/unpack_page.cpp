#include "ui/unpack_page.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "jobs/unpack_job.h"
#include "ui/job_adapters.h"

namespace qv::ui {
namespace {

const QString kTitle = QStringLiteral("提示");
const QString kNoPackageChosen = QStringLiteral("请选择要解包的ZVK文件！");
const QString kListEmpty = QStringLiteral("没有要解包的文件，请点击‘浏览’按钮来添加！");
const QString kNoFolder = QStringLiteral("请选择要将解包后的文件存放到何处！");

}  // namespace

UnpackPage::UnpackPage(Dialogs& dialogs, jobs::Clock& clock, QWidget* parent)
    : QWidget(parent),
      dialogs_(dialogs),
      clock_(clock),
      c_(build_page_controls(this, {QStringLiteral("分组框2"), QStringLiteral("路径编辑框1"), QStringLiteral("浏览1"),
                                    QStringLiteral("列表框2"), QStringLiteral("文本框2"), QStringLiteral("开始解包"),
                                    QStringLiteral("开 始 解 包"), QStringLiteral("全部清空1"), QStringLiteral("返回1")})) {
  connect(c_.browse, &QPushButton::clicked, this, &UnpackPage::add_package);
  connect(c_.clear, &QPushButton::clicked, this, &UnpackPage::clear_all);
  connect(c_.back, &QPushButton::clicked, this, &UnpackPage::go_back);
  connect(c_.start, &QPushButton::clicked, this, &UnpackPage::start_unpacking);
}

void UnpackPage::add_package() {
  const std::optional<QString> package = dialogs_.choose_package();
  if (!package) {
    dialogs_.show_message(kNoPackageChosen, kTitle);
    return;
  }
  // The hidden log box keeps the package chosen last, so the next job's log
  // opens with that path run together with its first line, as the tool's
  // logs always have.
  c_.log->setPlainText(*package);
  c_.list->addItem(*package);
  c_.start->setEnabled(true);
  c_.clear->setEnabled(true);
}

void UnpackPage::clear_all() {
  clear_list(c_);
}

void UnpackPage::go_back() {
  c_.log->clear();
  c_.log->hide();
  c_.list->show();
  c_.start->show();
  c_.clear->show();
  c_.back->hide();
  c_.start->setEnabled(false);
  c_.clear->setEnabled(false);
  c_.browse->setEnabled(true);
}

void UnpackPage::start_unpacking() {
  if (c_.list->count() == 0) {
    dialogs_.show_message(kListEmpty, kTitle);
    return;
  }
  QString folder = dialogs_.choose_folder(QStringLiteral("请选择解包后的文件存放的位置:"));
  if (folder.isEmpty()) {
    dialogs_.show_message(kNoFolder, kTitle);
    return;
  }
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');

  show_log_view(c_);
  const jobs::UnpackRequest request{to_job_text(folder), clock_.now()};
  {
    WaitCursor busy;
    PageJob job(*c_.list, *c_.log, clock_);
    emit job_started();
    // What went wrong, package by package and member by member, is in the log.
    jobs::run_unpack_job(request, job.host());
  }
  emit job_ended();
}

}  // namespace qv::ui
