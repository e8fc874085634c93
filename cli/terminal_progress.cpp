#include "cli/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace qv::cli {
namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(1000);
constexpr auto kRedrawEvery = std::chrono::milliseconds(250);
constexpr std::string_view kEraseLine = "\r\033[K";

int terminal_columns(int fd) {
  winsize size{};
  return ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// Cuts `text` to at most `columns` screen columns, counting the wide East
// Asian characters as two, and never in the middle of a UTF-8 sequence.
std::string fit_columns(std::string_view text, int columns) {
  int used = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    const int width = lead >= 0xE1 ? 2 : 1;  // U+1000 and up: CJK and the like
    if (used + width > columns || i + length > text.size()) break;
    used += width;
    i += length;
  }
  return std::string(text.substr(0, i));
}

void write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const auto n = ::write(fd, text.data(), text.size());
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace

std::string human_bytes(double bytes) {
  constexpr std::array<const char*, 5> kUnits = {"B", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  while (bytes >= 1024 && unit + 1 < kUnits.size()) {
    bytes /= 1024;
    ++unit;
  }
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
  return text.data();
}

std::chrono::milliseconds progress_delay() {
  const char* text = std::getenv("ZVK_PROGRESS_DELAY_MS");
  if (text == nullptr || *text == '\0') return kQuietStart;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == '\0' && value >= 0 ? std::chrono::milliseconds(value) : kQuietStart;
}

TerminalProgress::TerminalProgress(int fd, std::chrono::milliseconds quiet_start)
    : fd_(fd), terminal_(::isatty(fd) == 1), quiet_start_(quiet_start) {}

void TerminalProgress::start(std::uint64_t total_bytes) {
  total_ = total_bytes;
  done_ = 0;
  start_ = Clock::now();
}

void TerminalProgress::advance(std::string_view member, std::uint64_t bytes) {
  done_ += bytes;
  member_ = member;
  if (!terminal_) return;
  const auto now = Clock::now();
  if (now - job_start_ < quiet_start_ || now - last_draw_ < kRedrawEvery) return;
  draw(now);
}

void TerminalProgress::draw(Clock::time_point now) {
  last_draw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const std::string line = human_bytes(static_cast<double>(done_)) + " of " + human_bytes(static_cast<double>(total_)) +
                           "  " + human_bytes(seconds > 0 ? static_cast<double>(done_) / seconds : 0.0) + "/s  " +
                           member_;
  write_all(fd_, std::string(kEraseLine) + fit_columns(line, terminal_columns(fd_) - 1));
  shown_ = true;
}

void TerminalProgress::clear() {
  if (!shown_) return;
  write_all(fd_, kEraseLine);
  shown_ = false;
}

}  // namespace qv::cli
