#pragma once
// The unpack page: collects packages in a list one at a time, then writes
// every member of each into a folder the user chooses, showing the job's log
// in the list's place until the user returns.
#include <QWidget>

#include "jobs/job_host.h"
#include "ui/dialogs.h"
#include "ui/page_controls.h"

namespace qv::ui {

class UnpackPage final : public QWidget {
  Q_OBJECT

 public:
  UnpackPage(Dialogs& dialogs, jobs::Clock& clock, QWidget* parent = nullptr);

 signals:
  // Around the unpacking job, as on the pack page.
  void job_started();
  void job_ended();

 private:
  void add_package();
  void clear_all();
  void go_back();
  void start_unpacking();

  Dialogs& dialogs_;
  jobs::Clock& clock_;
  PageControls c_;
};

}  // namespace qv::ui
