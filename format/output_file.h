#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "format/byte_block.h"
#include "format/read_ahead.h"

namespace qv::format {

// Told, while `block` is being written, that `bytes` more of it are written:
// once for a small block, after every chunk of a long copy. A window repaints
// from here and a terminal shows progress.
using ChunkCallback = std::function<void(const ByteBlock& block, std::uint64_t bytes)>;

// How writing a block went. A source that cannot be read whole is told apart
// from a destination that cannot be written, so that the caller can name it.
enum class BlockWrite { written, source_unreadable, write_failed };

// Writes runs of bytes and whole byte blocks to an open file, from a given
// offset on. Small pieces are gathered in a buffer; large blocks go from file
// to file with copy_file_range (or read/write in large chunks where the file
// systems do not allow it), so memory stays bounded whatever the sizes.
class OutputFile {
 public:
  // Small regions of a file are read through `read_ahead` when one is given.
  OutputFile(int fd, std::uint64_t offset, ChunkCallback on_chunk = {}, ReadAhead* read_ahead = nullptr);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool write(std::string_view bytes);
  // Writes the block's bytes (not its length).
  BlockWrite write_block(const ByteBlock& block);
  // Hands everything buffered to the file; false when that fails.
  bool flush();
  // The offset just after everything written so far, buffered bytes included.
  std::uint64_t offset() const { return flushed_ + buffer_.size(); }

 private:
  BlockWrite copy_block(const ByteBlock& block);
  BlockWrite copy_from(int fd, std::uint64_t offset, std::uint32_t length);
  BlockWrite copy_in_chunks(int fd, std::uint64_t offset, std::uint64_t length);
  BlockWrite read_into_buffer(int fd, std::uint64_t offset, std::uint32_t length);
  BlockWrite read_ahead_into_buffer(const ByteBlock::Region& region);
  void report(std::uint64_t bytes);

  int fd_;
  std::uint64_t flushed_;  // the file offset at which the buffer starts
  std::string buffer_;
  ChunkCallback on_chunk_;
  ReadAhead* read_ahead_;
  const ByteBlock* current_ = nullptr;  // the block being written
};

}  // namespace qv::format
