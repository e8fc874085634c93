// zvk as scripts use it: the real program, run in a fresh folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/command.h"
#include "tests/support/package_bytes.h"
#include "tests/support/temp_dir.h"

namespace qv::cli {
namespace {

namespace fs = std::filesystem;
using testing::folder_names;
using testing::package_bytes;
using testing::read_file;
using testing::TempDir;
using testing::write_file;
using Names = std::vector<std::string>;

// The log with the elapsed seconds of its last line, which depend on the
// clock, written as "N".
std::string with_elapsed_as_n(std::string log) {
  const auto last = log.rfind(':');
  const auto digits = log.find_first_not_of("0123456789", last + 1);
  if (last != std::string::npos && digits > last + 1) log.replace(last + 1, digits - last - 1, "N");
  return log;
}

class ZvkTest : public ::testing::Test {
 protected:
  testing::CommandResult zvk(std::vector<std::string> args) {
    args.insert(args.begin(), ZVK_PATH);
    return testing::run_command(args, dir_.path().string());
  }

  TempDir dir_;
};

TEST_F(ZvkTest, PackWritesThePackageAndPrintsTheLog) {
  write_file(dir_ / "a.txt", "abc");
  write_file(dir_ / "b.bin", "");
  const auto result = zvk({"pack", "out", "a.txt", "b.bin"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(read_file(dir_ / "out.ZVK"), package_bytes({{"a.txt", "abc"}, {"b.bin", ""}}));
  EXPECT_EQ(with_elapsed_as_n(result.out),
            "开始打包……\n开始读入文件……\n正在打包:a.txt\n正在打包:b.bin\n\n恭喜，打包完毕！\n一共耗时:N秒！\n");
}

TEST_F(ZvkTest, PackFailureExitsOneAndWritesNothing) {
  write_file(dir_ / "a.txt", "abc");
  const auto result = zvk({"pack", "out.ZVK", "a.txt", "missing.txt"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.out.find("无法读取文件:missing.txt\n"), std::string::npos);
  EXPECT_TRUE(result.out.ends_with("\n打包失败！\n"));
  EXPECT_EQ(folder_names(dir_.path()), (Names{"a.txt"}));
}

TEST_F(ZvkTest, UnpackAndListWhatPackWrote) {
  fs::create_directory(dir_ / "src");
  write_file(dir_ / "src/测试.txt", "中文");
  write_file(dir_ / "src/empty", "");
  ASSERT_EQ(zvk({"pack", dir_ / "p", "src/测试.txt", "src/empty"}).exit_code, 0);

  const auto list = zvk({"list", "p.ZVK"});
  EXPECT_EQ(list.exit_code, 0);
  EXPECT_EQ(list.out, "6\t测试.txt\n0\tempty\n");

  fs::create_directory(dir_ / "out");
  const auto unpack = zvk({"unpack", "-C", "out", "p.ZVK"});
  EXPECT_EQ(unpack.exit_code, 0);
  EXPECT_EQ(with_elapsed_as_n(unpack.out),
            "正在读取待解包文件……\n该打包的文件中一共包含了2个文件\n正在解包:测试.txt^-^成功！\n"
            "正在解包:empty^-^成功！\n\np.ZVK解包完成！\n 一共毫时:N秒\n");
  EXPECT_EQ(read_file(dir_ / "out/测试.txt"), "中文");
  EXPECT_EQ(read_file(dir_ / "out/empty"), "");

  // Without -C the members go into the current folder.
  EXPECT_EQ(zvk({"unpack", "p.ZVK"}).exit_code, 0);
  EXPECT_EQ(read_file(dir_ / "测试.txt"), "中文");
}

TEST_F(ZvkTest, DamagedPackages) {
  write_file(dir_ / "cut.ZVK", package_bytes({{"a", "abc"}}).substr(0, 5));
  write_file(dir_ / "hostile.ZVK", package_bytes({{"../escape", "x"}, {"ok", "y"}}));
  fs::create_directory(dir_ / "out");

  const auto list = zvk({"list", "cut.ZVK"});
  EXPECT_EQ(list.exit_code, 1);
  EXPECT_EQ(list.out, "");
  EXPECT_EQ(list.err, "zvk: damaged package: cut.ZVK\n");
  EXPECT_EQ(zvk({"list", "missing.ZVK"}).err, "zvk: cannot open: missing.ZVK\n");

  const auto unpack = zvk({"unpack", "-C", "out", "cut.ZVK", "hostile.ZVK"});
  EXPECT_EQ(unpack.exit_code, 1);
  EXPECT_NE(unpack.out.find("无法读取cut.ZVK文件的信息！\n文件可能已经损坏！\n"), std::string::npos);
  EXPECT_NE(unpack.out.find("正在解包:../escape-_-||失败！\n"), std::string::npos);
  EXPECT_EQ(folder_names(dir_ / "out"), (Names{"ok"}));
  EXPECT_FALSE(fs::exists(dir_ / "escape"));
}

TEST_F(ZvkTest, UsageErrorsExitTwoWithOneLineAndWriteNothing) {
  write_file(dir_ / "a.txt", "a");
  write_file(dir_ / "p.ZVK", package_bytes({{"m", "m"}}));
  const std::vector<std::string> cases[] = {
      {},
      {"pack"},
      {"pack", "only-the-package"},
      {"unpack"},
      {"unpack", "-C", "missing-folder", "p.ZVK"},
      {"unpack", "-C", "a.txt", "p.ZVK"},
      {"list"},
      {"frobnicate"},
      {"pack", "--bogus", "x", "a.txt"},
  };
  for (const auto& args : cases) {
    const auto result = zvk(args);
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_EQ(result.exit_code, 2) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_TRUE(result.err.starts_with("zvk: ")) << shown << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << shown << result.err;
  }
  EXPECT_EQ(folder_names(dir_.path()), (Names{"a.txt", "p.ZVK"}));
}

TEST_F(ZvkTest, NamesFromAndForChineseWindows) {
  // A package as Chinese Windows writes it: names in GBK.
  write_file(dir_ / "win.ZVK", package_bytes({{"\xB2\xE2\xCA\xD4.txt", "from windows"}}));
  fs::create_directories(dir_ / "auto");
  fs::create_directories(dir_ / "raw");
  EXPECT_EQ(zvk({"unpack", "-C", "auto", "win.ZVK"}).exit_code, 0);
  EXPECT_EQ(folder_names(dir_ / "auto"), (Names{"测试.txt"}));
  EXPECT_EQ(zvk({"unpack", "--names", "raw", "-C", "raw", "win.ZVK"}).exit_code, 0);
  EXPECT_EQ(folder_names(dir_ / "raw"), (Names{"\xB2\xE2\xCA\xD4.txt"}));
  EXPECT_EQ(zvk({"list", "win.ZVK"}).out, "12\t测试.txt\n");
  EXPECT_EQ(zvk({"list", "--names", "raw", "win.ZVK"}).out, "12\t\xB2\xE2\xCA\xD4.txt\n");

  // Packed for Windows and unpacked here, the names come back.
  write_file(dir_ / "文件一.txt", "one");
  EXPECT_EQ(zvk({"pack", "--names", "gbk", "for-windows", "文件一.txt"}).exit_code, 0);
  EXPECT_EQ(read_file(dir_ / "for-windows.ZVK"), package_bytes({{"\xCE\xC4\xBC\xFE\xD2\xBB.txt", "one"}}));
  fs::create_directories(dir_ / "back");
  EXPECT_EQ(zvk({"unpack", "-C", "back", "for-windows.ZVK"}).exit_code, 0);
  EXPECT_EQ(read_file(dir_ / "back/文件一.txt"), "one");

  // A name that GBK cannot hold is refused before anything is written.
  write_file(dir_ / "\xF0\x9F\x98\x80.txt", "emoji");
  const auto refused = zvk({"pack", "--names", "gbk", "never", "文件一.txt", "\xF0\x9F\x98\x80.txt"});
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1);
  EXPECT_FALSE(fs::exists(dir_ / "never.ZVK"));
}

TEST_F(ZvkTest, QuietPrintsNothing) {
  write_file(dir_ / "a", "a");
  const auto result = zvk({"pack", "--quiet", "p", "a"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_TRUE(fs::exists(dir_ / "p.ZVK"));
}

TEST_F(ZvkTest, HelpAndVersion) {
  for (const auto& args : {Names{"--help"}, Names{"pack", "--help"}, Names{"unpack", "--help"}}) {
    const auto result = zvk(args);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.out.find("Usage"), std::string::npos);
  }
  const auto version = zvk({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_FALSE(version.out.empty());
}

}  // namespace
}  // namespace qv::cli
