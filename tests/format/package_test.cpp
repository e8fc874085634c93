#include "format/package.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace qv::format {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

const std::string kMarkerBytes("\xD7\xF7\xD5\xDF\x3A\x54\x65\x6E\x76\x61\x72\x69\x00", 13);

class PackageTest : public ::testing::Test {
 protected:
  std::string write(const BlockArray& contents, const TextArray& names) {
    RecordStream stream;
    const auto file = stream.open_file(path_, OpenMode::create_write);
    EXPECT_TRUE(write_package(stream, file, contents, names));
    stream.close_file(file);
    return read_file(path_);
  }

  std::variant<PackageMembers, PackageProblem> read_bytes(std::string_view bytes) {
    write_file(path_, bytes);
    return read_package_file(path_);
  }

  TempDir dir_;
  std::string path_ = dir_ / "p.ZVK";
};

TEST_F(PackageTest, TwoMemberExampleIsExactlyItsBytes) {
  const auto bytes = write({ByteBlock(std::string("abc")), ByteBlock()}, {"a.txt", "b.bin"});
  EXPECT_EQ(bytes, std::string("2\0" "\3\0\0\0abc" "\0\0\0\0" "a.txt\0" "b.bin\0", 25) + kMarkerBytes);
  EXPECT_EQ(bytes.size(), 38u);

  const auto read = read_package_file(path_);
  const auto& members = std::get<PackageMembers>(read);
  EXPECT_EQ(members.count_text, "2");
  EXPECT_EQ(members.names, (TextArray{"a.txt", "b.bin"}));
  ASSERT_EQ(members.contents.size(), 2u);
  EXPECT_EQ(read_block_bytes(members.contents[0]), "abc");
  EXPECT_EQ(members.contents[1].size(), 0u);
  EXPECT_TRUE(members.has_marker);
}

TEST_F(PackageTest, OneEmptyMemberExample) {
  EXPECT_EQ(write({ByteBlock()}, {"x"}), std::string("1\0\0\0\0\0x\0", 8) + kMarkerBytes);
}

TEST_F(PackageTest, DuplicateNamesAreSeparateMembers) {
  write({ByteBlock(std::string("one")), ByteBlock(std::string("two"))}, {"a.txt", "a.txt"});
  const auto read = read_package_file(path_);
  const auto& members = std::get<PackageMembers>(read);
  EXPECT_EQ(members.names, (TextArray{"a.txt", "a.txt"}));
  EXPECT_EQ(read_block_bytes(members.contents[1]), "two");
}

TEST_F(PackageTest, CountTextsThatDescribeNoPackage) {
  const std::string one_member = std::string("\0\0\0\0\0x\0", 7) + kMarkerBytes;
  const std::pair<std::string, bool> cases[] = {
      {"1", true},
      {"\xA3\xB1", true},  // a full-width 1
      {"1.9", true},
      {"-1", false},
      {"2147483648", false},
      {"1e400", false},
      {"99999", false},  // more members than the file has room for
      {"5", false},      // room for them, but the records run out
  };
  for (const auto& [count, usable] : cases) {
    const auto read = read_bytes(count + std::string(1, '\0') + one_member);
    EXPECT_EQ(std::holds_alternative<PackageMembers>(read), usable) << count;
  }
}

TEST_F(PackageTest, ZeroCountAndNoDigitsReadAsEmptyPackages) {
  for (const std::string count : {"0", "abc", ""}) {
    const auto read = read_bytes(count + std::string(1, '\0') + kMarkerBytes);
    ASSERT_TRUE(std::holds_alternative<PackageMembers>(read)) << count;
    EXPECT_TRUE(std::get<PackageMembers>(read).names.empty());
  }
}

TEST_F(PackageTest, MissingMarkerStillReads) {
  const auto whole = write({ByteBlock(std::string("abc"))}, {"a.txt"});
  const auto read = read_bytes(whole.substr(0, whole.size() - kMarkerBytes.size()));
  const auto& members = std::get<PackageMembers>(read);
  EXPECT_EQ(members.names, (TextArray{"a.txt"}));
  EXPECT_FALSE(members.has_marker);
}

// Every cut of a package either reads as the package it was (when only the
// marker is cut away) or is refused as damaged; it never reads as something
// else and never crashes.
TEST_F(PackageTest, PackageCutAtEveryOffset) {
  const auto whole = write({ByteBlock(std::string("abc")), ByteBlock(), ByteBlock(std::string("defg"))},
                           {"a.txt", "b.bin", "c"});
  const auto names_end = whole.size() - kMarkerBytes.size();
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const auto read = read_bytes(whole.substr(0, cut));
    if (cut >= names_end - 1) {
      // Cut inside the last name's 0x00 or the marker: the names are whole
      // (a tail without its 0x00 is still a text).
      ASSERT_TRUE(std::holds_alternative<PackageMembers>(read)) << cut;
      EXPECT_EQ(std::get<PackageMembers>(read).names, (TextArray{"a.txt", "b.bin", "c"})) << cut;
    } else {
      EXPECT_EQ(std::get_if<PackageProblem>(&read) ? *std::get_if<PackageProblem>(&read) : PackageProblem{},
                PackageProblem::damaged)
          << cut;
    }
  }
}

TEST_F(PackageTest, FilesThatCannotBeOpened) {
  EXPECT_EQ(std::get<PackageProblem>(read_package_file(dir_ / "missing.ZVK")), PackageProblem::cannot_open);
  EXPECT_EQ(std::get<PackageProblem>(read_package_file(dir_.path().string())), PackageProblem::cannot_open);
  EXPECT_EQ(std::get<PackageProblem>(read_package_file("")), PackageProblem::cannot_open);
}

TEST_F(PackageTest, AHugeNameIsRefusedWithoutFillingMemory) {
  const auto read = read_bytes(std::string("1\0\0\0\0\0", 6) + std::string(kMaxPackageText + 1, 'n'));
  EXPECT_EQ(std::get<PackageProblem>(read), PackageProblem::damaged);
}

}  // namespace
}  // namespace qv::format
