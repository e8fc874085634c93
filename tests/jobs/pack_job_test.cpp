#include "jobs/pack_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "format/package.h"
#include "jobs/destination_path.h"
#include "tests/support/child.h"
#include "tests/support/job_doubles.h"
#include "tests/support/package_bytes.h"
#include "tests/support/temp_dir.h"

namespace qv::jobs {
namespace {

namespace fs = std::filesystem;
using testing::folder_names;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

TEST(DestinationPathTest, FromTheGivenName) {
  const std::pair<std::string, std::string> cases[] = {
      {"/data/backup", "/data/backup.ZVK"},
      {"/data/backup.ZVK", "/data/backup.ZVK"},
      {"/data/backup.zvk", "/data/backup.zvk.ZVK"},
      {"/data/backup.ZVK  ", "/data/backup.ZVK"},
      {"backup", "/tools/backup.ZVK"},
      {"  backup ", "/tools/backup.ZVK"},
      {"\xE3\x80\x80" "backup", "/tools/backup.ZVK"},
      {"ZV", "/tools/ZV.ZVK"},
      {"", "/tools/.ZVK"},
      {"a\tb", "/tools/a\tb.ZVK"},
  };
  for (const auto& [given, path] : cases) EXPECT_EQ(destination_path(given, "/tools"), path) << given;
}

class PackJobTest : public ::testing::Test {
 protected:
  bool pack(std::vector<std::string> sources, const std::string& given_name) {
    fake_.list.items = std::move(sources);
    return run_pack_job({given_name, dir_.path().string(), fake_.start}, fake_.host);
  }
  std::string source(const std::string& name, std::string_view bytes) {
    const auto path = dir_ / name;
    fs::create_directories(fs::path(path).parent_path());
    write_file(path, bytes);
    return path;
  }
  // The log of a job that fails after the given lines.
  static std::string failed_log(const std::string& lines) { return "开始打包……\r\n开始读入文件……\r\n" + lines + "\r\n打包失败！\r\n"; }

  TempDir dir_;
  testing::FakeHost fake_;
};

TEST_F(PackJobTest, SuccessfulJobLogsEveryStepWritesThePackageAndEmptiesTheList) {
  const auto a = source("a.txt", "abc");
  const auto b = source("sub/b.bin", "");
  ASSERT_TRUE(pack({a, b}, "out"));
  EXPECT_EQ(fake_.log.lines, (std::vector<std::string>{
                                 "开始打包……\r\n",
                                 "开始读入文件……\r\n",
                                 "正在打包:" + a + "\r\n",
                                 "正在打包:" + b + "\r\n",
                                 "\r\n恭喜，打包完毕！\r\n",
                                 "一共耗时:3秒！\r\n",
                             }));
  EXPECT_EQ(read_file(dir_ / "out.ZVK"), testing::package_bytes({{"a.txt", "abc"}, {"b.bin", ""}}));
  EXPECT_TRUE(fake_.list.items.empty());
  EXPECT_GE(fake_.events.calls, 2);  // once per source at least
  EXPECT_EQ(folder_names(dir_.path()), (std::vector<std::string>{"a.txt", "out.ZVK", "sub"}));
}

TEST_F(PackJobTest, ElapsedSecondsWithinOneClockSecondIsZero) {
  fake_.clock.reading = fake_.start;
  ASSERT_TRUE(pack({source("a", "x")}, "out"));
  EXPECT_EQ(fake_.log.lines.back(), "一共耗时:0秒！\r\n");
}

TEST_F(PackJobTest, MembersKeepListOrderNamesAndContents) {
  const std::vector<std::string> sources = {
      source("x/a.txt", "first a"), source("y/a.txt", "second a"), source("测试 文件.txt", "中文"),
      source("empty", ""),
  };
  auto with_repeat = sources;
  with_repeat.push_back(sources[0]);  // the same path twice is two members
  ASSERT_TRUE(pack(with_repeat, dir_ / "p.ZVK"));
  const auto read = format::read_package_file(dir_ / "p.ZVK");
  const auto& members = std::get<format::PackageMembers>(read);
  EXPECT_EQ(members.names, (format::TextArray{"a.txt", "a.txt", "测试 文件.txt", "empty", "a.txt"}));
  const std::vector<std::string> contents = {"first a", "second a", "中文", "", "first a"};
  ASSERT_EQ(members.contents.size(), contents.size());
  for (std::size_t i = 0; i < contents.size(); ++i) EXPECT_EQ(format::read_block_bytes(members.contents[i]), contents[i]);
}

TEST_F(PackJobTest, UnreadableSourcesFailTheJobAfterEverySourceIsLookedAt) {
  const auto good = source("good", "g");
  const auto missing = dir_ / "missing";
  const auto folder = dir_.path().string();
  write_file(dir_ / "out.ZVK", "old package");
  ASSERT_FALSE(pack({missing, good, folder, ""}, "out"));
  EXPECT_EQ(fake_.log.text(), failed_log("正在打包:" + missing + "\r\n无法读取文件:" + missing + "\r\n" +
                                         "正在打包:" + good + "\r\n" +
                                         "正在打包:" + folder + "\r\n无法读取文件:" + folder + "\r\n" +
                                         "正在打包:\r\n无法读取文件:\r\n"));
  EXPECT_EQ(read_file(dir_ / "out.ZVK"), "old package");
  EXPECT_EQ(fake_.list.items.size(), 4u);
  EXPECT_EQ(folder_names(dir_.path()), (std::vector<std::string>{"good", "out.ZVK"}));
}

TEST_F(PackJobTest, SourceThatShrinksBeforeTheWriteFailsTheJob) {
  const auto a = source("a", std::string(100000, 'a'));
  const auto b = source("b", "b");
  write_file(dir_ / "out.ZVK", "old package");
  // While the window handles events after the second source, the first one
  // is cut short by someone else.
  fake_.events.hook = [&](int call) {
    if (call == 2) ASSERT_EQ(::truncate(a.c_str(), 10), 0);
  };
  ASSERT_FALSE(pack({a, b}, "out"));
  EXPECT_EQ(fake_.log.text(), failed_log("正在打包:" + a + "\r\n正在打包:" + b + "\r\n无法读取文件:" + a + "\r\n"));
  EXPECT_EQ(read_file(dir_ / "out.ZVK"), "old package");
  EXPECT_EQ(folder_names(dir_.path()), (std::vector<std::string>{"a", "b", "out.ZVK"}));
}

TEST_F(PackJobTest, DestinationThatIsAlsoASourceIsPackedWithItsOldContents) {
  const auto package = source("self.ZVK", "old contents");
  ASSERT_TRUE(pack({package}, package));
  EXPECT_EQ(read_file(package), testing::package_bytes({{"self.ZVK", "old contents"}}));
}

TEST_F(PackJobTest, DestinationsThatCannotBeWrittenChangeNothing) {
  const auto a = source("a", "a");
  fs::create_directory(dir_ / "folder.ZVK");
  const std::string cases[] = {dir_ / "no/such/folder/out", dir_ / "folder.ZVK"};
  for (const auto& given : cases) {
    fake_.log.lines.clear();
    ASSERT_FALSE(pack({a}, given)) << given;
    EXPECT_EQ(fake_.log.text(), failed_log("正在打包:" + a + "\r\n")) << given;
    EXPECT_EQ(fake_.list.items.size(), 1u);
  }
  EXPECT_EQ(folder_names(dir_.path()), (std::vector<std::string>{"a", "folder.ZVK"}));
  EXPECT_TRUE(fs::is_empty(dir_ / "folder.ZVK"));
}

TEST_F(PackJobTest, ReadOnlyDestinationIsLeftAlone) {
  // Root writes any file, so the job runs as an unprivileged user.
  const auto a = source("a", "a");
  write_file(dir_ / "locked.ZVK", "old package");
  fs::permissions(dir_ / "locked.ZVK", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(dir_.path(), fs::perms::all);
  const int code = testing::run_in_child({.unprivileged = true}, [&] { return pack({a}, "locked") ? 1 : 0; });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(read_file(dir_ / "locked.ZVK"), "old package");
  EXPECT_EQ(folder_names(dir_.path()), (std::vector<std::string>{"a", "locked.ZVK"}));
}

TEST_F(PackJobTest, FullDiskLeavesTheOldPackageAndNoTemporaryFile) {
  const auto big = source("big", std::string(1 << 20, 'b'));
  write_file(dir_ / "out.ZVK", "old package");
  const int code = testing::run_in_child({.max_file_size = 64 * 1024}, [&] {
    const bool packed = pack({big}, "out");
    return !packed && fake_.log.text() == failed_log("正在打包:" + big + "\r\n") ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(read_file(dir_ / "out.ZVK"), "old package");
  EXPECT_EQ(folder_names(dir_.path()), (std::vector<std::string>{"big", "out.ZVK"}));
}

TEST_F(PackJobTest, ReplacedPackageKeepsThePermissionsOfTheOldOne) {
  write_file(dir_ / "out.ZVK", "old package");
  fs::permissions(dir_ / "out.ZVK", fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
  ASSERT_TRUE(pack({source("a", "a")}, "out"));
  EXPECT_EQ(fs::status(dir_ / "out.ZVK").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
}

// Positions are 64-bit: a package past 2 GiB is written and read back, and
// its last member lies beyond the 2 GiB mark. The sources are sparse, and the
// package goes to memory-backed /dev/shm where it exists, to keep this quick.
TEST(LargePackageTest, PackagesPastTwoGibibytes) {
  const TempDir dir(fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path());
  const auto sparse = dir / "sparse";
  write_file(sparse, "");
  ASSERT_EQ(::truncate(sparse.c_str(), (2ll << 30) + 12345), 0);
  write_file(dir / "tail", "the tail");
  testing::FakeHost fake;
  fake.list.items = {sparse, dir / "tail"};
  ASSERT_TRUE(run_pack_job({dir / "big.ZVK", "", fake.start}, fake.host));
  fs::remove(sparse);

  const auto read = format::read_package_file(dir / "big.ZVK");
  const auto& members = std::get<format::PackageMembers>(read);
  EXPECT_EQ(members.names, (format::TextArray{"sparse", "tail"}));
  EXPECT_EQ(members.contents[0].size(), (2u << 30) + 12345);
  EXPECT_EQ(format::read_block_bytes(members.contents[1]), "the tail");
  EXPECT_TRUE(members.has_marker);
}

}  // namespace
}  // namespace qv::jobs
