#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "jobs/job_host.h"

namespace qv::cli {

// One line of progress on a terminal: bytes done of the total, the rate and
// the member in hand, redrawn a few times a second once a job has run for
// about a second, and erased at the end. Silent when the file descriptor is
// not a terminal, so nothing of it reaches a pipe or a file.
class TerminalProgress final : public jobs::ProgressSink {
 public:
  // `quiet_start` is how long a job runs before the line appears.
  TerminalProgress(int fd, std::chrono::milliseconds quiet_start);
  ~TerminalProgress() override { clear(); }

  void start(std::uint64_t total_bytes) override;
  void advance(std::string_view member, std::uint64_t bytes) override;
  void finish() override { clear(); }

  // Erases the line if it is shown, so that other output can take its place.
  void clear();

 private:
  using Clock = std::chrono::steady_clock;
  void draw(Clock::time_point now);

  int fd_;
  bool terminal_;
  std::chrono::milliseconds quiet_start_;
  Clock::time_point job_start_ = Clock::now();
  Clock::time_point start_ = job_start_;
  Clock::time_point last_draw_{};
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
  std::string member_;
  bool shown_ = false;
};

// How long a job runs before its progress shows: about a second, or the
// milliseconds in ZVK_PROGRESS_DELAY_MS, so that a test need not wait.
std::chrono::milliseconds progress_delay();

// "1.5 MiB" and the like.
std::string human_bytes(double bytes);

}  // namespace qv::cli
