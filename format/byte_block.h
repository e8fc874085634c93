#pragma once
// A byte block is the contents of one member: 0 to 4,294,967,295 bytes. So
// that packages of any size pass through bounded memory, a block need not hold
// its bytes: it may stand for a region of an open file (a member inside a
// package being read) or for a whole named file (a source being packed), and
// its bytes are copied only when it is written out.
#include <sys/types.h>
#include <time.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "format/unique_fd.h"

namespace qv::format {

inline constexpr std::uint64_t kMaxBlockLength = 0xFFFF'FFFFull;

// An open file that several blocks may refer to; it stays open until the last
// of them is gone, even after the file's name has been replaced or removed.
using SharedFd = std::shared_ptr<const UniqueFd>;

class ByteBlock {
 public:
  // Bytes held in memory.
  struct Bytes {
    std::string data;
  };
  // `length` bytes of an open file from `offset` on.
  struct Region {
    SharedFd file;
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
  };
  // A whole regular file as it was seen when the block was made. Its bytes are
  // read when the block is written; the file must then still be the same file
  // (device, inode and modification time, since inode numbers are reused)
  // with the same length.
  struct NamedFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    std::uint32_t length = 0;
  };

  ByteBlock() = default;  // an empty block
  explicit ByteBlock(std::string bytes) : source_(Bytes{std::move(bytes)}) {}
  explicit ByteBlock(Region region) : source_(std::move(region)) {}
  explicit ByteBlock(NamedFile file) : source_(std::move(file)) {}

  std::uint32_t size() const;
  bool empty() const { return size() == 0; }

  // Where the bytes come from.
  const std::variant<Bytes, Region, NamedFile>& source() const { return source_; }

 private:
  std::variant<Bytes, Region, NamedFile> source_;
};

// Makes the block for a whole regular file, after checking that this user
// may read it and that it is shorter than 4 GiB. Nothing when it is missing,
// not a regular file, unreadable or too long.
std::optional<ByteBlock> block_for_file(const std::string& path);

// Opens the file that a NamedFile block stands for, for reading; not open
// when it is no longer the same regular file with the same length.
UniqueFd open_unchanged(const ByteBlock::NamedFile& file);

// All of a block's bytes in memory; nothing when they cannot be read whole.
// Meant for small blocks: copying to a file never needs it.
std::optional<std::string> read_block_bytes(const ByteBlock& block);

}  // namespace qv::format
