#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <system_error>

#include "format/package.h"
#include "text/count_text.h"

namespace qv::fuzz {
namespace fs = std::filesystem;

void fail(const char* file, int line, const char* condition, const std::string& message) {
  std::fprintf(stderr, "\n==quorvane-fuzz== check failed at %s:%d: %s\n==quorvane-fuzz== %s\n", file, line, condition,
               message.c_str());
  std::fflush(stderr);
  std::abort();
}

namespace {

fs::path make_work_root() {
  std::string parent;
  if (const char* chosen = std::getenv("QUORVANE_FUZZ_TMP"); chosen && *chosen) {
    parent = chosen;
  } else if (fs::is_directory("/dev/shm")) {
    parent = "/dev/shm";
  } else {
    parent = fs::temp_directory_path().string();
  }
  std::string pattern = parent + "/quorvane-fuzz-XXXXXX";
  if (!::mkdtemp(pattern.data())) fail(__FILE__, __LINE__, "mkdtemp", "cannot make a folder in " + parent);
  return fs::path(pattern);
}

void remove_work_root() {
  std::error_code ignored;
  fs::remove_all(work_root(), ignored);
}

}  // namespace

const fs::path& work_root() {
  // Never destroyed, so that it is still there when remove_work_root runs at exit.
  static const fs::path* const root = [] {
    const auto* made = new fs::path(make_work_root());
    std::atexit(remove_work_root);
    return made;
  }();
  return *root;
}

void write_whole_file(const fs::path& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  QV_FUZZ_CHECK(fd >= 0, "cannot create " + path.string() + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto n = ::write(fd, bytes.data() + done, bytes.size() - done);
    QV_FUZZ_CHECK(n > 0, "cannot write " + path.string() + ": " + std::strerror(errno));
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

std::string read_whole_file(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  QV_FUZZ_CHECK(fd >= 0, "cannot open " + path.string() + ": " + std::strerror(errno));
  std::string bytes;
  char chunk[4096];
  for (;;) {
    const auto n = ::read(fd, chunk, sizeof chunk);
    QV_FUZZ_CHECK(n >= 0, "cannot read " + path.string() + ": " + std::strerror(errno));
    if (n == 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

int open_descriptor_count() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count - 1;  // the iterator's own descriptor
}

void CheckingLog::append(std::string_view text) {
  ++lines;
  QV_FUZZ_CHECK(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n",
                "a log line does not end in CR LF: " + std::string(text));
}

std::optional<std::string> expanded(std::string_view input) {
  std::string out;
  bool any_run = false;
  for (std::size_t i = 0; i < input.size();) {
    if (i + 5 <= input.size() && input[i] == '\xFB' && input[i + 1] == '\xFB') {
      const auto count = static_cast<std::size_t>(static_cast<unsigned char>(input[i + 3])) |
                         static_cast<std::size_t>(static_cast<unsigned char>(input[i + 4])) << 8;
      if (out.size() + count > kMaxExpanded) return std::nullopt;
      out.append(count, input[i + 2]);
      any_run = true;
      i += 5;
    } else {
      if (out.size() + 1 > kMaxExpanded) return std::nullopt;
      out += input[i++];
    }
  }
  if (!any_run) return std::nullopt;
  return out;
}

namespace {

// Reads texts and length-prefixed blocks from bytes in memory.
class Bytes {
 public:
  explicit Bytes(std::string_view bytes) : bytes_(bytes) {}

  std::size_t position() const { return position_; }
  bool at_end() const { return position_ >= bytes_.size(); }
  std::string_view rest() const { return bytes_.substr(position_); }

  // Up to the next 0x00, or to the end when a non-empty tail has none.
  std::optional<std::string> text() {
    if (at_end()) return std::nullopt;
    const auto zero = bytes_.find('\0', position_);
    const auto stop = zero == std::string_view::npos ? bytes_.size() : zero;
    std::string value(bytes_.substr(position_, stop - position_));
    if (value.size() > format::kMaxPackageText) return std::nullopt;
    position_ = zero == std::string_view::npos ? stop : stop + 1;
    return value;
  }

  std::optional<std::string> block() {
    if (bytes_.size() - position_ < 4) return std::nullopt;
    std::uint64_t length = 0;
    for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(bytes_[position_ + i]);
    position_ += 4;
    if (length > bytes_.size() - position_) return std::nullopt;
    std::string value(bytes_.substr(position_, length));
    position_ += length;
    return value;
  }

 private:
  std::string_view bytes_;
  std::size_t position_ = 0;
};

}  // namespace

std::optional<std::string> expected_count_text(std::string_view bytes) { return Bytes(bytes).text(); }

std::optional<ExpectedPackage> expected_package(std::string_view bytes) {
  Bytes in(bytes);
  ExpectedPackage package;
  auto count_text = in.text();
  if (!count_text) return std::nullopt;
  package.count_text = std::move(*count_text);
  const auto count = text::member_count(package.count_text);
  if (!count) return std::nullopt;
  // Every member takes at least 4 bytes here, so a count far beyond the
  // bytes ends the loop early.
  for (std::int32_t i = 0; i < *count; ++i) {
    auto block = in.block();
    if (!block) return std::nullopt;
    package.contents.push_back(std::move(*block));
  }
  for (std::int32_t i = 0; i < *count; ++i) {
    auto name = in.text();
    if (!name) return std::nullopt;
    package.names.push_back(std::move(*name));
  }
  package.anything_after_names = !in.at_end();
  const auto rest = in.rest();
  const std::string_view marker = format::kMarkerText;
  package.marker_after_names =
      rest.substr(0, marker.size()) == marker && (rest.size() == marker.size() || rest[marker.size()] == '\0');
  return package;
}

bool name_must_be_written(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos && name.size() <= NAME_MAX;
}

}  // namespace qv::fuzz
