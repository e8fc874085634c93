#include "jobs/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>

#include "text/path.h"

namespace qv::jobs {
namespace {

using format::UniqueFd;

// A hidden name for a file being written, unlikely to meet any other.
std::string temporary_name() {
  static std::mt19937_64 random{std::random_device{}()};
  return ".zvk-" + std::to_string(::getpid()) + "-" + std::to_string(random() % 1'000'000'000'000ull) + ".part";
}

// What an existing name holds, when it may be replaced: a symbolic link
// (replaced, its target never touched) or a regular file this user may
// write. Nothing for a folder or any other kind of file, and for a file
// this user could not open for writing.
std::optional<struct stat> replaceable(int folder_fd, const std::string& name) {
  struct stat st {};
  if (::fstatat(folder_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  if (S_ISLNK(st.st_mode)) return st;
  if (!S_ISREG(st.st_mode)) return std::nullopt;
  if (::faccessat(folder_fd, name.c_str(), W_OK, AT_EACCESS) != 0) return std::nullopt;
  return st;
}

// Linking an unnamed file through AT_EMPTY_PATH needs a privilege on some
// kernels; /proc/self/fd works for everyone but costs a path lookup. The
// way that worked is remembered.
std::atomic<bool> empty_path_links{true};

}  // namespace

std::optional<PendingFile> PendingFile::create(const std::string& path) {
  auto folder = text::folder_part(path);
  if (folder.empty()) folder = ".";
  UniqueFd folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder_fd) return std::nullopt;
  const auto name = text::base_name(path);
  if (::faccessat(folder_fd.get(), name.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) == 0 &&
      !replaceable(folder_fd.get(), name))
    return std::nullopt;
  auto pending = create(folder_fd.get(), name);
  if (pending) pending->owned_folder_ = std::move(folder_fd);
  return pending;
}

std::optional<PendingFile> PendingFile::create(int folder_fd, std::string name) {
  if (name.empty()) return std::nullopt;
  UniqueFd file(::openat(folder_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  std::string temp_name;
  if (!file && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    // No unnamed files on this file system: write under a hidden name.
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
      temp_name = temporary_name();
      file = UniqueFd(::openat(folder_fd, temp_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
      if (!file && errno != EEXIST) break;
    }
  }
  if (!file) return std::nullopt;
  return PendingFile(folder_fd, std::move(name), std::move(file), std::move(temp_name));
}

PendingFile::PendingFile(int folder_fd, std::string name, UniqueFd file, std::string temp_name)
    : folder_fd_(folder_fd), name_(std::move(name)), file_(std::move(file)), temp_name_(std::move(temp_name)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : owned_folder_(std::move(other.owned_folder_)),
      folder_fd_(other.folder_fd_),
      name_(std::move(other.name_)),
      file_(std::move(other.file_)),
      temp_name_(std::move(other.temp_name_)),
      done_(std::exchange(other.done_, true)) {}

PendingFile::~PendingFile() {
  if (!done_ && !temp_name_.empty()) ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
}

bool PendingFile::link_as(const std::string& link_name) const {
  if (empty_path_links.load(std::memory_order_relaxed)) {
    if (::linkat(file_.get(), "", folder_fd_, link_name.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno != EPERM && errno != ENOENT) return false;
    empty_path_links.store(false, std::memory_order_relaxed);
  }
  const auto proc_path = "/proc/self/fd/" + std::to_string(file_.get());
  return ::linkat(AT_FDCWD, proc_path.c_str(), folder_fd_, link_name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool PendingFile::commit() {
  if (done_) return false;
  done_ = true;
  // Where nothing has the name yet, the unnamed file simply gets it.
  if (temp_name_.empty()) {
    if (link_as(name_)) return true;
    if (errno != EEXIST) return false;
  }
  return replace_existing();
}

bool PendingFile::replace_existing() {
  const auto existing = replaceable(folder_fd_, name_);
  if (temp_name_.empty() && !existing) return false;
  if (existing && S_ISREG(existing->st_mode)) {
    // Where that is not allowed the new file keeps ours.
    (void)::fchown(file_.get(), existing->st_uid, existing->st_gid);
    (void)::fchmod(file_.get(), existing->st_mode & 07777);
  }
  for (int attempt = 0; attempt < 16 && temp_name_.empty(); ++attempt) {
    const auto candidate = temporary_name();
    if (link_as(candidate)) {
      temp_name_ = candidate;
    } else if (errno != EEXIST) {
      return false;
    }
  }
  if (temp_name_.empty()) return false;
  // The name may have appeared or changed kind since it was looked at;
  // renameat refuses to put a file over a folder.
  const bool replaced = (existing || ::faccessat(folder_fd_, name_.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) != 0) &&
                        ::renameat(folder_fd_, temp_name_.c_str(), folder_fd_, name_.c_str()) == 0;
  if (!replaced) ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
  return replaced;
}

}  // namespace qv::jobs
