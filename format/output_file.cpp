#include "format/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qv::format {
namespace {

// Blocks up to this size are read into the buffer and written with their
// neighbours; larger ones are copied file to file.
constexpr std::size_t kInlineLimit = ReadAhead::kLargestRead;
constexpr std::size_t kBufferCapacity = 1024 * 1024;
// How much a long copy moves between two chunk callbacks.
constexpr std::uint64_t kChunk = 8 * 1024 * 1024;

bool pwrite_all(int fd, const char* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const auto n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

// copy_file_range refuses some pairs of files (other file systems on older
// kernels, special files); those are copied by reading and writing instead.
bool copy_unsupported(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

// Errors that belong to the file being written rather than to the source.
bool destination_error(int error) {
  return error == ENOSPC || error == EFBIG || error == EDQUOT || error == EROFS || error == EPIPE;
}

}  // namespace

OutputFile::OutputFile(int fd, std::uint64_t offset, ChunkCallback on_chunk, ReadAhead* read_ahead)
    : fd_(fd), flushed_(offset), on_chunk_(std::move(on_chunk)), read_ahead_(read_ahead) {}

bool OutputFile::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferCapacity && !flush()) return false;
  if (bytes.size() >= kBufferCapacity) {
    if (!pwrite_all(fd_, bytes.data(), bytes.size(), flushed_)) return false;
    flushed_ += bytes.size();
    return true;
  }
  buffer_.append(bytes);
  return true;
}

bool OutputFile::flush() {
  if (buffer_.empty()) return true;
  if (!pwrite_all(fd_, buffer_.data(), buffer_.size(), flushed_)) return false;
  flushed_ += buffer_.size();
  buffer_.clear();
  return true;
}

BlockWrite OutputFile::write_block(const ByteBlock& block) {
  current_ = &block;
  const auto result = copy_block(block);
  current_ = nullptr;
  return result;
}

BlockWrite OutputFile::copy_block(const ByteBlock& block) {
  struct Visitor {
    OutputFile& out;
    BlockWrite operator()(const ByteBlock::Bytes& b) const {
      if (!out.write(b.data)) return BlockWrite::write_failed;
      out.report(b.data.size());
      return BlockWrite::written;
    }
    BlockWrite operator()(const ByteBlock::Region& r) const {
      if (out.read_ahead_ && r.length <= kInlineLimit) return out.read_ahead_into_buffer(r);
      return out.copy_from(r.file->get(), r.offset, r.length);
    }
    BlockWrite operator()(const ByteBlock::NamedFile& f) const {
      const UniqueFd source = open_unchanged(f);
      if (!source) return BlockWrite::source_unreadable;
      return out.copy_from(source.get(), 0, f.length);
    }
  };
  return std::visit(Visitor{*this}, block.source());
}

BlockWrite OutputFile::copy_from(int fd, std::uint64_t offset, std::uint32_t length) {
  if (length <= kInlineLimit) return read_into_buffer(fd, offset, length);
  if (!flush()) return BlockWrite::write_failed;
  return copy_in_chunks(fd, offset, length);
}

BlockWrite OutputFile::read_into_buffer(int fd, std::uint64_t offset, std::uint32_t length) {
  if (buffer_.size() + length > kBufferCapacity && !flush()) return BlockWrite::write_failed;
  const auto start = buffer_.size();
  buffer_.resize(start + length);
  std::size_t done = 0;
  while (done < length) {
    const auto n = ::pread(fd, buffer_.data() + start + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {  // a read error, or the source is shorter than it was
      buffer_.resize(start);
      return BlockWrite::source_unreadable;
    }
    done += static_cast<std::size_t>(n);
  }
  report(length);
  return BlockWrite::written;
}

BlockWrite OutputFile::read_ahead_into_buffer(const ByteBlock::Region& region) {
  if (buffer_.size() + region.length > kBufferCapacity && !flush()) return BlockWrite::write_failed;
  const auto start = buffer_.size();
  buffer_.resize(start + region.length);
  if (!read_ahead_->read(region.file, region.offset, buffer_.data() + start, region.length)) {
    buffer_.resize(start);
    return BlockWrite::source_unreadable;
  }
  report(region.length);
  return BlockWrite::written;
}

BlockWrite OutputFile::copy_in_chunks(int fd, std::uint64_t offset, std::uint64_t length) {
  auto in = static_cast<off_t>(offset);
  auto out = static_cast<off_t>(flushed_);
  std::uint64_t left = length;
  bool kernel_copy = true;
  std::string chunk;
  while (left > 0) {
    const auto want = static_cast<std::size_t>(std::min(left, kChunk));
    ssize_t n = 0;
    if (kernel_copy) {
      n = ::copy_file_range(fd, &in, fd_, &out, want, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && copy_unsupported(errno)) {
        kernel_copy = false;
        continue;
      }
      if (n < 0) return destination_error(errno) ? BlockWrite::write_failed : BlockWrite::source_unreadable;
      if (n == 0) return BlockWrite::source_unreadable;  // the source ended early
    } else {
      chunk.resize(std::min<std::size_t>(want, kBufferCapacity));
      n = ::pread(fd, chunk.data(), chunk.size(), in);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return BlockWrite::source_unreadable;
      if (!pwrite_all(fd_, chunk.data(), static_cast<std::size_t>(n), static_cast<std::uint64_t>(out)))
        return BlockWrite::write_failed;
      in += n;
      out += n;
    }
    left -= static_cast<std::uint64_t>(n);
    report(static_cast<std::uint64_t>(n));
  }
  flushed_ = static_cast<std::uint64_t>(out);
  return BlockWrite::written;
}

void OutputFile::report(std::uint64_t bytes) {
  if (on_chunk_ && current_) on_chunk_(*current_, bytes);
}

}  // namespace qv::format
