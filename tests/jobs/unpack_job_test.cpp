#include "jobs/unpack_job.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "jobs/pack_job.h"
#include "tests/support/child.h"
#include "tests/support/job_doubles.h"
#include "tests/support/package_bytes.h"
#include "tests/support/temp_dir.h"

namespace qv::jobs {
namespace {

namespace fs = std::filesystem;
using testing::folder_names;
using testing::Member;
using testing::package_bytes;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

using Names = std::vector<std::string>;

class UnpackJobTest : public ::testing::Test {
 protected:
  UnpackJobTest() { fs::create_directory(out_); }

  UnpackOutcome unpack(std::vector<std::string> packages) {
    fake_.list.items = std::move(packages);
    return run_unpack_job({out_.string() + "/", fake_.start}, fake_.host);
  }
  std::string package(const std::string& name, const std::string& bytes) {
    write_file(dir_ / name, bytes);
    return dir_ / name;
  }
  static std::string ok(const std::string& name) { return "正在解包:" + name + "^-^成功！\r\n"; }
  static std::string failed(const std::string& name) { return "正在解包:" + name + "-_-||失败！\r\n"; }
  static std::string reading(const std::string& count) {
    return "正在读取待解包文件……\r\n该打包的文件中一共包含了" + count + "个文件\r\n";
  }
  static std::string unusable(const std::string& base) { return "无法读取" + base + "文件的信息！\r\n文件可能已经损坏！\r\n"; }
  static std::string done(const std::string& base) { return "\r\n" + base + "解包完成！\r\n 一共毫时:3秒\r\n"; }

  TempDir dir_;
  fs::path out_ = dir_.path() / "out";
  testing::FakeHost fake_;
};

TEST_F(UnpackJobTest, LogOfSeveralPackages) {
  const auto first = package("first.ZVK", package_bytes({{"a.txt", "abc"}, {"b.bin", ""}}));
  // The count text is shown as stored: here two full-width digits.
  const auto second = package("second.ZVK", package_bytes({{"c", "c"}}, "\xA3\xB0\xA3\xB1"));
  const auto outcome = unpack({first, second});
  EXPECT_TRUE(outcome.ok());
  EXPECT_EQ(fake_.log.text(), reading("2") + ok("a.txt") + ok("b.bin") + reading("\xA3\xB0\xA3\xB1") + ok("c") +
                                  done("second.ZVK"));
  EXPECT_EQ(folder_names(out_), (Names{"a.txt", "b.bin", "c"}));
  EXPECT_EQ(read_file(out_ / "a.txt"), "abc");
  EXPECT_TRUE(fake_.list.items.empty());
  EXPECT_EQ(fake_.events.calls, 4);  // after each member written and after the completion line
}

TEST_F(UnpackJobTest, WhatThePackerWritesComesBackByteForByte) {
  const std::vector<Member> sources = {
      {"测试.txt", "中文内容"}, {"empty", ""}, {"binary", std::string("\0\1\2\xff", 4)},
      {"big", std::string(3 << 20, 'q')}, {"名 字", "x"},
  };
  testing::FakeHost packing;
  for (const auto& s : sources) {
    write_file(dir_ / s.name, s.contents);
    packing.list.items.push_back(dir_ / s.name);
  }
  ASSERT_TRUE(run_pack_job({dir_ / "p", "", packing.start}, packing.host));
  ASSERT_TRUE(unpack({dir_ / "p.ZVK"}).ok());
  for (const auto& s : sources) EXPECT_EQ(read_file(out_ / s.name), s.contents) << s.name;
}

TEST_F(UnpackJobTest, SameNameTwiceLeavesTheLaterMember) {
  const auto p = package("p.ZVK", package_bytes({{"a", "first"}, {"a", "second"}}));
  EXPECT_TRUE(unpack({p, p}).ok());
  EXPECT_EQ(fake_.log.text(), reading("2") + ok("a") + ok("a") + reading("2") + ok("a") + ok("a") + done("p.ZVK"));
  EXPECT_EQ(read_file(out_ / "a"), "second");
}

TEST_F(UnpackJobTest, HostileNamesAreRefusedAndNothingLeavesTheFolder) {
  const Names hostile = {"../x", "/tmp/quorvane-hostile", "a/b", ".", "..", "", "../out/escape"};
  std::vector<Member> members;
  for (const auto& name : hostile) members.push_back({name, "bad"});
  members.push_back({"fine", "good"});
  const auto p = package("p.ZVK", package_bytes(members));
  fs::create_directory(out_ / "a");

  const auto outcome = unpack({p});
  EXPECT_FALSE(outcome.ok());
  std::string expected = reading("8");
  for (const auto& name : hostile) expected += failed(name);
  EXPECT_EQ(fake_.log.text(), expected + ok("fine") + done("p.ZVK"));
  EXPECT_EQ(folder_names(out_), (Names{"a", "fine"}));
  EXPECT_TRUE(fs::is_empty(out_ / "a"));
  EXPECT_EQ(folder_names(dir_.path()), (Names{"out", "p.ZVK"}));
  EXPECT_FALSE(fs::exists("/tmp/quorvane-hostile"));
}

TEST_F(UnpackJobTest, PackagesThatCannotBeUsedAreReportedAndNothingOfThemIsWritten) {
  const std::vector<Member> two = {{"a", "aaa"}, {"b", "bbbb"}};
  const auto whole = package_bytes(two);
  struct Case {
    std::string what;
    std::string bytes;
    std::string count_shown;
  };
  const Case cases[] = {
      {"negative count", package_bytes(two, "-2"), "-2"},
      {"huge count", package_bytes(two, "99999999999"), "99999999999"},
      {"more members than room", package_bytes(two, "1000"), "1000"},
      {"more members than stored", package_bytes(two, "3"), "3"},
      {"cut in the contents", whole.substr(0, 8), "2"},
      {"length running past the end", std::string("1\0\xff\0\0\0aaa" "a\0", 12), "1"},
      {"empty file", "", ""},
  };
  for (const auto& c : cases) {
    fake_.log.lines.clear();
    const auto p = package("p.ZVK", c.bytes);
    EXPECT_FALSE(unpack({p}).ok()) << c.what;
    EXPECT_EQ(fake_.log.text(), reading(c.count_shown) + unusable("p.ZVK") + done("p.ZVK")) << c.what;
    EXPECT_TRUE(fs::is_empty(out_)) << c.what;
  }
}

// A package cut anywhere before its names are whole writes nothing at all and
// says so; cut within its marker, it still unpacks whole.
TEST_F(UnpackJobTest, PackageCutAtEveryOffset) {
  const std::vector<Member> members = {{"a.txt", "abc"}, {"b", ""}, {"c", "defg"}};
  const auto whole = package_bytes(members);
  const auto names_end = whole.size() - testing::kMarkerBytes.size();
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    fs::remove_all(out_);
    fs::create_directory(out_);
    fake_.log.lines.clear();
    const auto outcome = unpack({package("p.ZVK", whole.substr(0, cut))});
    const std::string count_shown = cut == 0 ? "" : "3";
    if (cut >= names_end - 1) {
      EXPECT_TRUE(outcome.ok()) << cut;
      EXPECT_EQ(fake_.log.text(), reading("3") + ok("a.txt") + ok("b") + ok("c") + done("p.ZVK")) << cut;
      EXPECT_EQ(folder_names(out_), (Names{"a.txt", "b", "c"})) << cut;
    } else {
      EXPECT_FALSE(outcome.ok()) << cut;
      EXPECT_EQ(fake_.log.text(), reading(count_shown) + unusable("p.ZVK") + done("p.ZVK")) << cut;
      EXPECT_TRUE(fs::is_empty(out_)) << cut;
    }
    EXPECT_EQ(folder_names(dir_.path()), (Names{"out", "p.ZVK"})) << cut;
  }
}

TEST_F(UnpackJobTest, PackagesThatHoldNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {"0", package_bytes({}, "0")},
      {"abc", package_bytes({}, "abc")},
      {"0.7", package_bytes({{"a", "a"}}, "0.7")},
      // Nothing in the format tells such a file from an empty package.
      {"abc", std::string("abc\0def\0", 8)},
  };
  for (const auto& [count, bytes] : cases) {
    fake_.log.lines.clear();
    EXPECT_TRUE(unpack({package("p.ZVK", bytes)}).ok()) << count;
    EXPECT_EQ(fake_.log.text(), reading(count) + done("p.ZVK")) << count;
  }
  EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(UnpackJobTest, MissingMarkerStillUnpacks) {
  const auto p = package("p.ZVK", package_bytes({{"a", "abc"}}, std::nullopt, false));
  EXPECT_TRUE(unpack({p}).ok());
  EXPECT_EQ(read_file(out_ / "a"), "abc");
}

TEST_F(UnpackJobTest, PackageThatCannotBeOpenedGoesOnWithTheNext) {
  const auto good = package("good.ZVK", package_bytes({{"a", "a"}}));
  const auto missing = dir_ / "missing.ZVK";
  unpack({missing, good, missing, dir_.path().string() + "/"});
  EXPECT_EQ(fake_.log.text(), "正在读取待解包文件……\r\n" + unusable("missing.ZVK") + reading("1") + ok("a") +
                                  "正在读取待解包文件……\r\n" + unusable("missing.ZVK") +
                                  "正在读取待解包文件……\r\n" + unusable("") + done(""));
}

TEST_F(UnpackJobTest, ReadOnlyPackageUnpacks) {
  const auto p = package("p.ZVK", package_bytes({{"a", "abc"}}));
  fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(dir_.path(), fs::perms::all);
  fs::permissions(out_, fs::perms::all);
  const int code = testing::run_in_child({.unprivileged = true}, [&] { return unpack({p}).ok() ? 0 : 1; });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(read_file(out_ / "a"), "abc");
}

TEST_F(UnpackJobTest, SymbolicLinkIsReplacedNotWrittenThrough) {
  write_file(dir_ / "outside", "precious");
  fs::create_symlink(dir_ / "outside", out_ / "a");
  fs::create_symlink(dir_ / "nowhere", out_ / "b");
  const auto p = package("p.ZVK", package_bytes({{"a", "new a"}, {"b", "new b"}}));
  EXPECT_TRUE(unpack({p}).ok());
  EXPECT_EQ(read_file(dir_ / "outside"), "precious");
  EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
  EXPECT_FALSE(fs::is_symlink(out_ / "a"));
  EXPECT_EQ(read_file(out_ / "a"), "new a");
  EXPECT_EQ(read_file(out_ / "b"), "new b");
}

TEST_F(UnpackJobTest, TargetsThatCannotBeWrittenAreLeftAsTheyWere) {
  fs::create_directory(out_ / "folder");
  write_file(out_ / "locked", "old locked");
  fs::permissions(out_ / "locked", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  write_file(out_ / "open", "old open");
  fs::permissions(out_ / "open", fs::perms::all);
  fs::permissions(dir_.path(), fs::perms::all);
  fs::permissions(out_, fs::perms::all);
  const auto p = package("p.ZVK", package_bytes({{"folder", "x"}, {"locked", "x"}, {"open", "new open"}}));
  const int code = testing::run_in_child({.unprivileged = true}, [&] {
    const auto outcome = unpack({p});
    const auto expected = reading("3") + failed("folder") + failed("locked") + ok("open") + done("p.ZVK");
    return !outcome.ok() && fake_.log.text() == expected ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(fs::is_directory(out_ / "folder"));
  EXPECT_EQ(read_file(out_ / "locked"), "old locked");
  EXPECT_EQ(read_file(out_ / "open"), "new open");
  EXPECT_EQ(folder_names(out_), (Names{"folder", "locked", "open"}));
}

TEST_F(UnpackJobTest, FullDiskFailsTheMemberAndKeepsTheOldFile) {
  write_file(out_ / "big", "old big");
  const auto p = package("p.ZVK", package_bytes({{"big", std::string(1 << 20, 'b')}, {"small", "s"}}));
  const int code = testing::run_in_child({.max_file_size = 64 * 1024}, [&] {
    const auto outcome = unpack({p});
    return !outcome.ok() && fake_.log.text() == reading("2") + failed("big") + ok("small") + done("p.ZVK") ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(read_file(out_ / "big"), "old big");
  EXPECT_EQ(folder_names(out_), (Names{"big", "small"}));
}

TEST_F(UnpackJobTest, PackageUnpackedIntoItsOwnFolderOverItsOwnName) {
  out_ = dir_.path();
  const auto p = package("p.ZVK", package_bytes({{"p.ZVK", "replaced"}, {"after", std::string(300000, 'a')}}));
  EXPECT_TRUE(unpack({p}).ok());
  EXPECT_EQ(read_file(p), "replaced");
  EXPECT_EQ(read_file(dir_ / "after"), std::string(300000, 'a'));
}

TEST_F(UnpackJobTest, DestinationFolderRemovedInTheMiddle) {
  const auto p = package("p.ZVK", package_bytes({{"a", "a"}, {"b", "b"}}));
  fake_.events.hook = [&](int call) {
    if (call == 1) fs::remove_all(out_);
  };
  EXPECT_FALSE(unpack({p}).ok());
  EXPECT_EQ(fake_.log.text(), reading("2") + ok("a") + failed("b") + done("p.ZVK"));
  EXPECT_FALSE(fs::exists(out_));
}

}  // namespace
}  // namespace qv::jobs
