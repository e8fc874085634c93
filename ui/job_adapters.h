#pragma once
// What makes a page's list box, log box and event loop fit the jobs, which
// know nothing of Qt. Paths cross as UTF-8 bytes, the jobs' own text.
#include <QString>
#include <string>

#include "jobs/job_host.h"

class QListWidget;
class QPlainTextEdit;

namespace qv::ui {

std::string to_job_text(const QString& text);
QString from_job_text(std::string_view text);

// The items of a list box, read live: a job fetches each when its turn
// comes, so what the user does to the list during the job shows.
class ListBoxItems final : public jobs::ItemList {
 public:
  explicit ListBoxItems(QListWidget& list) : list_(list) {}
  int count() const override;
  std::string item(int position) const override;
  void clear() override;

 private:
  QListWidget& list_;
};

// Appends each log text at the end of a log box and keeps the end in view.
class LogBoxSink final : public jobs::LogSink {
 public:
  explicit LogBoxSink(QPlainTextEdit& log) : log_(log) {}
  void append(std::string_view text) override;

 private:
  QPlainTextEdit& log_;
};

// Lets the window repaint and take clicks in the middle of a job.
class PendingEvents final : public jobs::EventPump {
 public:
  void process_pending_events() override;
};

// What a job is given on a page: the page's list and log box, the event
// loop and the clock.
class PageJob {
 public:
  PageJob(QListWidget& list, QPlainTextEdit& log, jobs::Clock& clock)
      : items_(list), log_(log), host_{items_, log_, events_, clock} {}
  PageJob(const PageJob&) = delete;  // the host refers to this object's own members
  PageJob& operator=(const PageJob&) = delete;
  jobs::JobHost& host() { return host_; }

 private:
  ListBoxItems items_;
  LogBoxSink log_;
  PendingEvents events_;
  jobs::JobHost host_;
};

// The busy pointer for as long as it lives; nests, so a job started from
// inside another job gives the pointer back only to the outer one.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace qv::ui
