#pragma once
// The one window: a tab control with the pack page and the unpack page. It
// only assembles them, keeps its size, and decides when it may close.
#include <QWidget>

#include "jobs/job_host.h"
#include "ui/dialogs.h"

class QTabWidget;

namespace qv::ui {

class PackPage;
class UnpackPage;

class MainWindow final : public QWidget {
  Q_OBJECT

 public:
  MainWindow(Dialogs& dialogs, jobs::Clock& clock, QWidget* parent = nullptr);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void job_started();
  void job_ended();
  void place_group_boxes();

  QTabWidget* tabs_ = nullptr;
  PackPage* pack_ = nullptr;
  UnpackPage* unpack_ = nullptr;
  // Jobs let events through while they run, so one may start inside another.
  int running_jobs_ = 0;
  bool close_requested_ = false;
};

}  // namespace qv::ui
