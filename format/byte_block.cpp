#include "format/byte_block.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::format {

std::uint32_t ByteBlock::size() const {
  struct Visitor {
    std::uint32_t operator()(const Bytes& b) const { return static_cast<std::uint32_t>(b.data.size()); }
    std::uint32_t operator()(const Region& r) const { return r.length; }
    std::uint32_t operator()(const NamedFile& f) const { return f.length; }
  };
  return std::visit(Visitor{}, source_);
}

std::optional<ByteBlock> block_for_file(const std::string& path) {
  if (path.empty()) return std::nullopt;
  // Looked at, not opened: the file is opened once, when its bytes are copied.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  // Root reads whatever permissions alone would keep from others; anything
  // that stops even root (some network file systems) shows when the file is
  // opened for copying, and fails the write then.
  static const bool is_root = ::geteuid() == 0;
  if (!is_root && ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) return std::nullopt;
  if (static_cast<std::uint64_t>(st.st_size) > kMaxBlockLength) return std::nullopt;
  return ByteBlock(
      ByteBlock::NamedFile{path, st.st_dev, st.st_ino, st.st_mtim, static_cast<std::uint32_t>(st.st_size)});
}

UniqueFd open_unchanged(const ByteBlock::NamedFile& file) {
  UniqueFd fd(::open(file.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0) return {};
  const bool same = S_ISREG(st.st_mode) && st.st_dev == file.device && st.st_ino == file.inode &&
                    st.st_mtim.tv_sec == file.modified.tv_sec && st.st_mtim.tv_nsec == file.modified.tv_nsec &&
                    static_cast<std::uint64_t>(st.st_size) == file.length;
  return same ? std::move(fd) : UniqueFd();
}

std::optional<std::string> read_block_bytes(const ByteBlock& block) {
  if (const auto* b = std::get_if<ByteBlock::Bytes>(&block.source())) return b->data;
  std::string bytes(block.size(), '\0');
  std::uint64_t offset = 0;
  UniqueFd opened;
  int fd = -1;
  if (const auto* r = std::get_if<ByteBlock::Region>(&block.source())) {
    fd = r->file->get();
    offset = r->offset;
  } else {
    const auto& f = std::get<ByteBlock::NamedFile>(block.source());
    opened = open_unchanged(f);
    if (!opened) return std::nullopt;
    fd = opened.get();
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n <= 0) return std::nullopt;
    done += static_cast<std::size_t>(n);
  }
  return bytes;
}

}  // namespace qv::format
