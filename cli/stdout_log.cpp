#include "cli/stdout_log.h"

#include "cli/terminal_progress.h"

namespace qv::cli {

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
  std::fflush(stdout);
}

}  // namespace qv::cli
