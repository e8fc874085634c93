#pragma once
#include <cstdint>
#include <string>

#include "format/byte_block.h"

namespace qv::format {

// Serves small reads of one file from a window read in one go. Members lie
// one after another in a package, so unpacking many small ones costs one
// read per window instead of one per member.
class ReadAhead {
 public:
  // Small enough to be served from the window.
  static constexpr std::size_t kLargestRead = 256 * 1024;

  // Copies `length` (at most kLargestRead) bytes of `file` from `offset` on
  // to `destination`; false when they cannot be read whole.
  bool read(const SharedFd& file, std::uint64_t offset, char* destination, std::size_t length);

 private:
  SharedFd file_;  // held, so that its descriptor cannot be reused by another file
  std::uint64_t start_ = 0;
  std::string window_;
};

}  // namespace qv::format
