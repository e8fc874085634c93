#include "cli/stdout_log.h"

#include <unistd.h>

#include "cli/terminal_progress.h"

namespace qv::cli {
namespace {

// A pipe or file gets the log in pieces at least this often; a terminal
// gets every line at once.
constexpr auto kFlushEvery = std::chrono::milliseconds(100);

}  // namespace

StdoutLog::StdoutLog(bool quiet, TerminalProgress* progress)
    : quiet_(quiet), progress_(progress), terminal_(::isatty(STDOUT_FILENO) == 1) {}

StdoutLog::~StdoutLog() { std::fflush(stdout); }

void StdoutLog::append(std::string_view text) {
  if (quiet_) return;
  if (progress_) progress_->clear();
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  std::fwrite(lines.data(), 1, lines.size(), stdout);
  // One write per line costs a system call per member; elsewhere than on a
  // terminal the lines are gathered for a moment.
  const auto now = std::chrono::steady_clock::now();
  if (terminal_ || now - last_flush_ >= kFlushEvery) {
    std::fflush(stdout);
    last_flush_ = now;
  }
}

}  // namespace qv::cli
