#include <gtest/gtest.h>

#include "text/blank_trim.h"
#include "text/member_name.h"
#include "text/path.h"

namespace qv::text {
namespace {

struct PathCase {
  std::string path;
  std::string base;
  std::string folder;
};

TEST(PathTest, BaseNameAndFolderPart) {
  const PathCase cases[] = {
      {"/data/a.txt", "a.txt", "/data/"},
      {"a.txt", "a.txt", ""},
      {"/data/", "", "/data/"},
      {"/x.txt", "x.txt", "/"},
      {"", "", ""},
      // A "/" right after a three-byte character is still a separator.
      {"/数据/誠.txt", "誠.txt", "/数据/"},
      {"/tmp/a\\b.txt", "a\\b.txt", "/tmp/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(base_name(c.path), c.base) << c.path;
    EXPECT_EQ(folder_part(c.path), c.folder) << c.path;
  }
}

TEST(PathTest, BlankTrimRemovesOnlyAsciiAndIdeographicBlanks) {
  const std::pair<std::string, std::string> cases[] = {
      {"  backup ", "backup"},
      {"\xE3\x80\x80 backup\xE3\x80\x80", "backup"},
      {"\tbackup\n", "\tbackup\n"},
      {"a b", "a b"},
      {"   ", ""},
      {"", ""},
      // A character that merely starts like U+3000 stays whole.
      {"\xE3\x80\x81x", "\xE3\x80\x81x"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(blank_trim(in), out) << in;
}

TEST(PathTest, MemberNamesThatStayInsideTheFolder) {
  const std::pair<std::string, bool> cases[] = {
      {"a.txt", true}, {"..a", true}, {"a..", true}, {".hidden", true}, {"测试.txt", true}, {"a\\b", true},
      {"", false},     {".", false},  {"..", false}, {"../x", false},   {"/tmp/x", false},  {"a/b", false},
      {"a/", false},   {std::string("a\0b", 3), false},
  };
  for (const auto& [name, safe] : cases) EXPECT_EQ(is_safe_member_name(name), safe) << name;
}

}  // namespace
}  // namespace qv::text
