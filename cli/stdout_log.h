#pragma once
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/job_host.h"

namespace qv::cli {

class TerminalProgress;

// Writes log lines to standard output as they come, each "\r\n" as "\n",
// first erasing a progress line that may share the terminal. A quiet log
// writes nothing.
class StdoutLog final : public jobs::LogSink {
 public:
  StdoutLog(bool quiet, TerminalProgress* progress);
  ~StdoutLog() override;
  void append(std::string_view text) override;

 private:
  bool quiet_;
  TerminalProgress* progress_;
  bool terminal_;
  std::chrono::steady_clock::time_point last_flush_{};
};

// The files or packages named on the command line, as the job's list.
class ArgumentList final : public jobs::ItemList {
 public:
  explicit ArgumentList(std::vector<std::string> items) : items_(std::move(items)) {}
  int count() const override { return static_cast<int>(items_.size()); }
  std::string item(int position) const override {
    return position >= 0 && position < count() ? items_[static_cast<std::size_t>(position)] : std::string();
  }
  void clear() override { items_.clear(); }

 private:
  std::vector<std::string> items_;
};

// Nothing waits for a terminal program between the job's steps.
class NoEvents final : public jobs::EventPump {
 public:
  void process_pending_events() override {}
};

}  // namespace qv::cli
