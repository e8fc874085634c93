#include "format/read_ahead.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qv::format {
namespace {

constexpr std::size_t kWindow = 1024 * 1024;

}  // namespace

bool ReadAhead::read(const SharedFd& file, std::uint64_t offset, char* destination, std::size_t length) {
  const bool inside = file == file_ && offset >= start_ && offset + length <= start_ + window_.size();
  if (!inside) {
    file_ = file;
    start_ = offset;
    window_.resize(std::max(kWindow, length));
    std::size_t filled = 0;
    // Read until the window is full or the file ends.
    while (filled < window_.size()) {
      const auto n = ::pread(file->get(), window_.data() + filled, window_.size() - filled,
                             static_cast<off_t>(offset + filled));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      filled += static_cast<std::size_t>(n);
    }
    window_.resize(filled);
    if (length > filled) {
      file_.reset();
      window_.clear();
      return false;
    }
  }
  std::memcpy(destination, window_.data() + (offset - start_), length);
  return true;
}

}  // namespace qv::format
