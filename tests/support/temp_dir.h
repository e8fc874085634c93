#pragma once
// A fresh folder per test, removed with everything in it afterwards, and
// small helpers to make and read real files there.
#include <filesystem>
#include <string>
#include <string_view>

namespace qv::testing {

class TempDir {
 public:
  TempDir();
  // A folder below `base` instead of the system's temporary folder.
  explicit TempDir(const std::filesystem::path& base);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the folder, as a string.
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void write_file(const std::string& path, std::string_view bytes);
// The whole file; fails the test when it cannot be read.
std::string read_file(const std::string& path);

}  // namespace qv::testing
