#include "jobs/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string fd_link_path(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// What is known of the name to be replaced.
struct Target {
  bool exists = false;
  struct stat st {};
};

std::optional<Target> inspect_target(int folder_fd, const std::string& name) {
  Target target;
  if (::fstatat(folder_fd, name.c_str(), &target.st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) return std::nullopt;
    return target;
  }
  target.exists = true;
  if (S_ISLNK(target.st.st_mode)) return target;  // the link is replaced, its target never touched
  if (!S_ISREG(target.st.st_mode)) return std::nullopt;
  // A file that this user could not open for writing is not replaced either.
  if (::faccessat(folder_fd, name.c_str(), W_OK, AT_EACCESS) != 0) return std::nullopt;
  return target;
}

}  // namespace

std::optional<PendingFile> PendingFile::create(const std::string& path) {
  auto folder = text::folder_part(path);
  if (folder.empty()) folder = ".";
  UniqueFd folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder_fd) return std::nullopt;
  auto pending = create(folder_fd.get(), text::base_name(path));
  if (pending) pending->owned_folder_ = std::move(folder_fd);
  return pending;
}

std::optional<PendingFile> PendingFile::create(int folder_fd, std::string name) {
  if (name.empty()) return std::nullopt;
  const auto target = inspect_target(folder_fd, name);
  if (!target) return std::nullopt;

  const bool replaces_file = target->exists && S_ISREG(target->st.st_mode);
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
  if (replaces_file) {
    // The new file keeps the old one's owner and permissions, as writing
    // over it in place would have; where that is not allowed it keeps ours.
    (void)::fchown(file.get(), target->st.st_uid, target->st.st_gid);
    (void)::fchmod(file.get(), target->st.st_mode & 07777);
  }
  return PendingFile(folder_fd, std::move(name), std::move(file), std::move(temp_name), target->exists);
}

PendingFile::PendingFile(int folder_fd, std::string name, UniqueFd file, std::string temp_name, bool target_existed)
    : folder_fd_(folder_fd),
      name_(std::move(name)),
      file_(std::move(file)),
      temp_name_(std::move(temp_name)),
      target_existed_(target_existed) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : owned_folder_(std::move(other.owned_folder_)),
      folder_fd_(other.folder_fd_),
      name_(std::move(other.name_)),
      file_(std::move(other.file_)),
      temp_name_(std::move(other.temp_name_)),
      target_existed_(other.target_existed_),
      done_(std::exchange(other.done_, true)) {}

PendingFile::~PendingFile() {
  if (!done_ && !temp_name_.empty()) ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
}

bool PendingFile::link_as(const std::string& link_name) {
  if (::linkat(AT_FDCWD, fd_link_path(file_.get()).c_str(), folder_fd_, link_name.c_str(), AT_SYMLINK_FOLLOW) == 0)
    return true;
  if (errno != ENOENT) return false;
  // Without /proc, root can still link the open file itself.
  return ::linkat(file_.get(), "", folder_fd_, link_name.c_str(), AT_EMPTY_PATH) == 0;
}

bool PendingFile::commit() {
  if (done_) return false;
  done_ = true;
  if (temp_name_.empty()) {
    // Where nothing has the name yet, the file gets it directly.
    if (!target_existed_ && link_as(name_)) return true;
    if (!target_existed_ && errno != EEXIST) return false;
    for (int attempt = 0; attempt < 16 && temp_name_.empty(); ++attempt) {
      const auto candidate = temporary_name();
      if (link_as(candidate)) {
        temp_name_ = candidate;
      } else if (errno != EEXIST) {
        return false;
      }
    }
    if (temp_name_.empty()) return false;
  }
  if (::renameat(folder_fd_, temp_name_.c_str(), folder_fd_, name_.c_str()) == 0) return true;
  ::unlinkat(folder_fd_, temp_name_.c_str(), 0);
  return false;
}

}  // namespace qv::jobs
