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
  // Starts a file to take the name `name` in the open folder `folder_fd`,
  // which must stay open until commit(). Nothing when no file can be made
  // in the folder. Whether the name may be replaced is settled by commit().
  static std::optional<PendingFile> create(int folder_fd, std::string name);
  // The same for a path, whose folder part is opened here; and since the
  // caller may have much to do before the commit, a name that cannot be
  // replaced is refused at once as well.
  static std::optional<PendingFile> create(const std::string& path);

  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&&) = delete;
  PendingFile(const PendingFile&) = delete;
  ~PendingFile();

  // Where the contents are written.
  int fd() const { return file_.get(); }

  // Puts the file in place under its name. A name that exists is replaced
  // only when it is a symbolic link or a file that this user may write; the
  // new file then keeps the old one's owner and permissions, as writing over
  // it in place would have. False when the name cannot be replaced or the
  // file system refuses; whatever had the name before still has it.
  bool commit();

 private:
  PendingFile(int folder_fd, std::string name, format::UniqueFd file, std::string temp_name);
  bool link_as(const std::string& link_name) const;
  bool replace_existing();

  format::UniqueFd owned_folder_;
  int folder_fd_;
  std::string name_;
  format::UniqueFd file_;
  std::string temp_name_;  // empty while the file has no name
  bool done_ = false;
};

}  // namespace qv::jobs
