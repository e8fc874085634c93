#pragma once
// The pack page: collects source files in a list, then packs them into one
// package whose place the user chooses, showing the job's log in the list's
// place until the user returns.
#include <QWidget>

#include "jobs/job_host.h"
#include "ui/dialogs.h"
#include "ui/page_controls.h"

namespace qv::ui {

class PackPage final : public QWidget {
  Q_OBJECT

 public:
  PackPage(Dialogs& dialogs, jobs::Clock& clock, QWidget* parent = nullptr);

 signals:
  // Around the packing job, which lets the window handle events while it
  // runs; the window must not go away in between.
  void job_started();
  void job_ended();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void add_sources();
  void open_context_menu();
  void delete_item();
  void clear_all();
  void go_back();
  void start_packing();

  Dialogs& dialogs_;
  jobs::Clock& clock_;
  PageControls c_;
};

}  // namespace qv::ui
