#include "format/record_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace qv::format {
namespace {

std::array<char, 4> little_endian(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}

std::optional<std::uint64_t> file_size(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

// Reads texts and byte blocks from a position on, through a read-ahead buffer.
// Reading a text is, in effect, reading up to its 0x00; the buffer only saves
// the system calls that a chunk per text would cost. Byte blocks are not read
// at all: they become regions of the file, checked to lie wholly inside it.
class InputCursor {
 public:
  InputCursor(SharedFd fd, std::uint64_t position, std::uint64_t size, std::size_t text_limit)
      : fd_(std::move(fd)), position_(position), size_(size), text_limit_(text_limit), buffer_start_(position) {}

  std::uint64_t position() const { return position_; }

  // A text ends at its 0x00; at the end of the file a non-empty tail without
  // one is a text too, and nothing at all is a failure.
  std::optional<Text> read_text() {
    Text text;
    for (;;) {
      if (!buffered() && !fill()) return std::nullopt;
      if (!buffered()) {  // end of file
        if (text.empty()) return std::nullopt;
        return text;
      }
      const char* begin = buffer_.data() + (position_ - buffer_start_);
      const char* end = buffer_.data() + buffer_.size();
      const char* zero = static_cast<const char*>(std::memchr(begin, 0, static_cast<std::size_t>(end - begin)));
      const char* stop = zero ? zero : end;
      if (text.size() + static_cast<std::size_t>(stop - begin) > text_limit_) return std::nullopt;
      text.append(begin, stop);
      position_ += static_cast<std::uint64_t>(stop - begin);
      if (zero) {
        ++position_;
        return text;
      }
    }
  }

  std::optional<ByteBlock> read_block() {
    std::array<unsigned char, 4> field{};
    for (auto& byte : field) {
      if (!buffered() && !fill()) return std::nullopt;
      if (!buffered()) return std::nullopt;  // fewer than 4 bytes
      byte = static_cast<unsigned char>(buffer_[position_ - buffer_start_]);
      ++position_;
    }
    const std::uint32_t length = field[0] | field[1] << 8 | field[2] << 16 | static_cast<std::uint32_t>(field[3]) << 24;
    if (length > size_ - std::min(size_, position_)) return std::nullopt;  // runs past the end
    ByteBlock block(ByteBlock::Region{fd_, position_, length});
    position_ += length;
    return block;
  }

 private:
  // Whether the byte at the position is in the buffer. A block that was
  // skipped may have left the position beyond it.
  bool buffered() const { return position_ >= buffer_start_ && position_ < buffer_start_ + buffer_.size(); }

  // Reads the next piece of the file at the position; false on a read error.
  // At the end of the file it succeeds with nothing more buffered.
  bool fill() {
    constexpr std::size_t kReadAhead = 64 * 1024;
    buffer_.resize(kReadAhead);
    buffer_start_ = position_;
    for (;;) {
      const auto n = ::pread(fd_->get(), buffer_.data(), buffer_.size(), static_cast<off_t>(position_));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        buffer_.clear();
        return false;
      }
      buffer_.resize(static_cast<std::size_t>(n));
      return true;
    }
  }

  SharedFd fd_;
  std::uint64_t position_;
  std::uint64_t size_;
  std::size_t text_limit_;
  std::string buffer_;
  std::uint64_t buffer_start_ = 0;
};

// Writes one value; false on any failure.
class ValueWriter {
 public:
  ValueWriter(OutputFile& out, std::string& unreadable_source) : out_(out), unreadable_(unreadable_source) {}

  bool operator()(const Text* text) const { return write_text(*text); }
  bool operator()(const ByteBlock* block) const { return write_block(*block); }
  bool operator()(const TextArray* texts) const {
    return std::all_of(texts->begin(), texts->end(), [this](const Text& t) { return write_text(t); });
  }
  bool operator()(const BlockArray* blocks) const {
    return std::all_of(blocks->begin(), blocks->end(), [this](const ByteBlock& b) { return write_block(b); });
  }

 private:
  bool write_text(const Text& text) const {
    // A 0x00 inside would end the text early and shift every later record.
    if (text.find('\0') != Text::npos) return false;
    return out_.write(text) && out_.write(std::string_view("\0", 1));
  }

  bool write_block(const ByteBlock& block) const {
    const auto length = little_endian(block.size());
    if (!out_.write(std::string_view(length.data(), length.size()))) return false;
    switch (out_.write_block(block)) {
      case BlockWrite::written:
        return true;
      case BlockWrite::source_unreadable:
        if (const auto* file = std::get_if<ByteBlock::NamedFile>(&block.source())) unreadable_ = file->path;
        return false;
      case BlockWrite::write_failed:
        return false;
    }
    return false;
  }

  OutputFile& out_;
  std::string& unreadable_;
};

// Fills one destination; on failure the destination is left empty.
class ValueReader {
 public:
  explicit ValueReader(InputCursor& in) : in_(in) {}

  bool operator()(Text* text) const { return fill(*text, in_.read_text()); }
  bool operator()(ByteBlock* block) const { return fill(*block, in_.read_block()); }
  bool operator()(TextArray* texts) const { return fill_array(*texts, [this] { return in_.read_text(); }); }
  bool operator()(BlockArray* blocks) const { return fill_array(*blocks, [this] { return in_.read_block(); }); }

 private:
  template <typename T>
  static bool fill(T& destination, std::optional<T> value) {
    destination = value ? std::move(*value) : T();
    return value.has_value();
  }

  template <typename T, typename Read>
  static bool fill_array(std::vector<T>& destination, Read read) {
    std::vector<T> values;
    values.reserve(destination.size());
    for (std::size_t i = 0; i < destination.size(); ++i) {
      auto value = read();
      if (!value) {
        destination.clear();
        return false;
      }
      values.push_back(std::move(*value));
    }
    destination = std::move(values);
    return true;
  }

  InputCursor& in_;
};

}  // namespace

FileNumber RecordStream::open_file(const std::string& path, OpenMode mode) {
  if (path.empty()) return 0;
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;  // O_NONBLOCK: a FIFO must not stall the open
  switch (mode) {
    case OpenMode::create_write:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case OpenMode::read_write:
      flags |= O_RDWR;
      break;
    case OpenMode::read_only:
      flags |= O_RDONLY;
      break;
  }
  UniqueFd fd(::open(path.c_str(), flags, 0666));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0) return 0;
  if (S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return 0;
  return adopt_file(std::move(fd), path);
}

FileNumber RecordStream::adopt_file(UniqueFd fd, std::string path) {
  if (!fd) return 0;
  // Numbers are handed out once each, so a closed number never comes back
  // to life; 0 is skipped when the counter wraps.
  if (++last_number_ == 0) ++last_number_;
  table_.push_back({last_number_, std::make_shared<const UniqueFd>(std::move(fd)), std::move(path), 0});
  return last_number_;
}

void RecordStream::close_file(FileNumber file) {
  std::erase_if(table_, [file](const OpenFile& f) { return f.number == file; });
}

bool RecordStream::seek_to_start(FileNumber file) {
  auto* f = find(file);
  if (!f) return false;
  f->position = 0;
  return true;
}

bool RecordStream::write_records(FileNumber file, std::initializer_list<RecordOut> values) {
  unreadable_source_.clear();
  auto* f = find(file);
  if (!f) return false;
  OutputFile out(f->fd->get(), f->position, on_chunk_);
  const ValueWriter writer(out, unreadable_source_);
  const bool written =
      std::all_of(values.begin(), values.end(), [&](const RecordOut& v) { return std::visit(writer, v.value()); });
  if (written && out.flush()) {
    f->position = out.offset();
    return true;
  }
  out.flush();  // what was written before the failure stays in the file
  return false;
}

RecordsRead RecordStream::read_records(FileNumber file, std::initializer_list<RecordIn> destinations) {
  auto* f = find(file);
  if (!f) return {};
  const auto size = file_size(f->fd->get());
  if (!size) return {};
  InputCursor in(f->fd, f->position, *size, text_limit_);
  const ValueReader reader(in);
  RecordsRead result;
  for (const auto& destination : destinations) {
    if (!std::visit(reader, destination.value())) return result;  // the position stays where it was
    ++result.filled;
  }
  f->position = in.position();
  result.complete = true;
  return result;
}

std::optional<std::uint64_t> RecordStream::bytes_left(FileNumber file) const {
  const auto* f = find(file);
  if (!f) return std::nullopt;
  const auto size = file_size(f->fd->get());
  if (!size) return std::nullopt;
  return *size - std::min(*size, f->position);
}

std::optional<std::uint64_t> RecordStream::position(FileNumber file) const {
  const auto* f = find(file);
  if (!f) return std::nullopt;
  return f->position;
}

RecordStream::OpenFile* RecordStream::find(FileNumber file) {
  const auto it = std::find_if(table_.begin(), table_.end(), [file](const OpenFile& f) { return f.number == file; });
  return it == table_.end() ? nullptr : &*it;
}

const RecordStream::OpenFile* RecordStream::find(FileNumber file) const {
  return const_cast<RecordStream*>(this)->find(file);
}

}  // namespace qv::format
