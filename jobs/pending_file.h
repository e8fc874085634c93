#pragma once
// A file that takes the place of a name in a folder only once it is whole.
// Until commit() it has no name at all where the file system allows that
// (O_TMPFILE), so a job that fails, or a process that is killed, leaves the
// old file exactly as it was and nothing else behind. An existing symbolic
// link of the name is replaced, never written through.
#include <optional>
#include <string>

#include "format/unique_fd.h"

namespace qv::jobs {

class PendingFile {
 public:
  // Starts a file to replace `name` in the open folder `folder_fd`, which
  // must stay open until commit(). Nothing when `name` cannot be replaced
  // (a folder or other non-file, or a file that this user may not write),
  // or when no file can be made in the folder.
  static std::optional<PendingFile> create(int folder_fd, std::string name);
  // The same for a path: its folder part is opened here.
  static std::optional<PendingFile> create(const std::string& path);

  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&&) = delete;
  PendingFile(const PendingFile&) = delete;
  ~PendingFile();

  // Where the contents are written.
  int fd() const { return file_.get(); }

  // Puts the file in place under its name; false when that fails, in which
  // case whatever had the name before still has it.
  bool commit();

 private:
  PendingFile(int folder_fd, std::string name, format::UniqueFd file, std::string temp_name, bool target_existed);
  bool link_as(const std::string& link_name);

  format::UniqueFd owned_folder_;
  int folder_fd_;
  std::string name_;
  format::UniqueFd file_;
  std::string temp_name_;  // empty while the file has no name
  bool target_existed_;
  bool done_ = false;
};

}  // namespace qv::jobs
