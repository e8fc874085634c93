#pragma once
// The record stream writes lists of typed values at a file's current
// position and reads them back. On the file a value carries no type tag and an
// array no element count, so only a read that names the same kinds in the
// same order, with arrays already holding the right number of elements, gets
// back what a write put there:
//
//   text            its bytes, then one 0x00
//   byte block      its length as an unsigned 32-bit little-endian number,
//                   then its bytes
//   array of texts  / array of byte blocks: the elements back to back
//
// Files are named by file numbers; 0 is never a valid one. Failures are
// results (false, or file number 0), and after a failed write or read the
// position is where it was when the call began.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "format/byte_block.h"
#include "format/output_file.h"

namespace qv::format {

using FileNumber = std::uint32_t;
using Text = std::string;
using TextArray = std::vector<Text>;
using BlockArray = std::vector<ByteBlock>;

enum class OpenMode {
  create_write,  // write only; created when missing, cut to length 0 when present
  read_write,    // read and write; must exist; contents kept, position 0
  read_only,     // read only; must exist; position 0
};

// One value to write, by reference to the caller's object.
class RecordOut {
 public:
  RecordOut(const Text& text) : value_(&text) {}
  RecordOut(const ByteBlock& block) : value_(&block) {}
  RecordOut(const TextArray& texts) : value_(&texts) {}
  RecordOut(const BlockArray& blocks) : value_(&blocks) {}
  const auto& value() const { return value_; }

 private:
  std::variant<const Text*, const ByteBlock*, const TextArray*, const BlockArray*> value_;
};

// One destination to read into. An array is read with exactly as many
// elements as it holds when the read begins.
class RecordIn {
 public:
  RecordIn(Text& text) : value_(&text) {}
  RecordIn(ByteBlock& block) : value_(&block) {}
  RecordIn(TextArray& texts) : value_(&texts) {}
  RecordIn(BlockArray& blocks) : value_(&blocks) {}
  const auto& value() const { return value_; }

 private:
  std::variant<Text*, ByteBlock*, TextArray*, BlockArray*> value_;
};

// What a read records call achieved: how many destinations, from the first,
// were filled completely. On failure the destination after those has lost its
// contents (left empty) and the ones after it are untouched.
struct RecordsRead {
  std::size_t filled = 0;
  bool complete = false;
  explicit operator bool() const { return complete; }
};

class RecordStream {
 public:
  RecordStream() = default;
  RecordStream(const RecordStream&) = delete;
  RecordStream& operator=(const RecordStream&) = delete;

  // Opens a regular file; 0 when it cannot be opened in that mode. An empty
  // path fails, and so does anything that is not a regular file.
  FileNumber open_file(const std::string& path, OpenMode mode);
  // Takes over a file opened elsewhere (a temporary file, say), at position 0.
  FileNumber adopt_file(UniqueFd fd, std::string path);
  // Closes the file; an invalid number is ignored. Byte blocks read from the
  // file keep it open for themselves.
  void close_file(FileNumber file);
  bool seek_to_start(FileNumber file);

  // Writes the values in order. A byte block whose source cannot be read
  // whole fails the call, and its path is then kept as unreadable_source().
  bool write_records(FileNumber file, std::initializer_list<RecordOut> values);
  RecordsRead read_records(FileNumber file, std::initializer_list<RecordIn> destinations);

  // The number of bytes from the current position to the end of the file.
  std::optional<std::uint64_t> bytes_left(FileNumber file) const;
  std::optional<std::uint64_t> position(FileNumber file) const;

  // The path of the named file that made the last write records call fail,
  // empty when no source was at fault.
  const std::string& unreadable_source() const { return unreadable_source_; }

  // Called between the chunks of long copies while writing.
  void set_chunk_callback(ChunkCallback callback) { on_chunk_ = std::move(callback); }

  // The longest text a read accepts; a longer one fails the read as a
  // damaged file would, so a hostile file cannot make a text fill memory.
  void set_text_limit(std::size_t bytes) { text_limit_ = bytes; }

 private:
  struct OpenFile {
    FileNumber number;
    SharedFd fd;
    std::string path;
    std::uint64_t position = 0;
  };
  OpenFile* find(FileNumber file);
  const OpenFile* find(FileNumber file) const;

  std::vector<OpenFile> table_;  // in order of opening
  FileNumber last_number_ = 0;
  std::string unreadable_source_;
  ChunkCallback on_chunk_;
  std::size_t text_limit_ = static_cast<std::size_t>(-1);
};

}  // namespace qv::format
