// The unpack page walked through its states with a scripted user, unpacking
// real packages into a real folder.
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <functional>

#include "jobs/pack_job.h"
#include "tests/support/job_doubles.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window.h"

namespace qv::testing {
namespace {

const QString kHint = QStringLiteral("<点击右边的‘浏览’按钮来往列表框中添加要打包的文件>");
const QString kNoPackage = QStringLiteral("提示: 请选择要解包的ZVK文件！");
const QString kNoFolder = QStringLiteral("提示: 请选择要将解包后的文件存放到何处！");
const QString kFolder = QStringLiteral("folder 请选择解包后的文件存放的位置:");
const PageNames kUnpack{"列表框2", "文本框2", "返回1", "开始解包", "全部清空1", "浏览1"};

// The page's states: list, log, return, start, clear-all, browse.
constexpr PageView kEmpty{true, false, false, true, false, true, false, true};
constexpr PageView kCollecting{true, false, false, true, true, true, true, true};
constexpr PageView kLogView{false, true, true, false, false, false, false, false};

struct Step {
  const char* what;
  std::function<void()> act;
  PageView view;
  QStringList items;
  QString log;  // the log box's text, hidden or not
  QStringList seen;
};

// Packs `sources` into `package` with the packing job itself.
void make_package(const std::string& package, std::vector<std::string> sources) {
  FakeHost fake;
  fake.list.items = std::move(sources);
  ASSERT_TRUE(jobs::run_pack_job({package, "", fake.start}, fake.host)) << fake.log.text();
}

class UnpackPageTest : public ::testing::Test {
 protected:
  UnpackPageTest() {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QString path(const char* name) const { return QString::fromStdString(dir / name); }

  void walk(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      dialogs.seen.clear();
      step.act();
      EXPECT_EQ(view_of(window, kUnpack), step.view);
      EXPECT_EQ(items_of(control<QListWidget>(window, "列表框2")), step.items);
      EXPECT_EQ(control<QPlainTextEdit>(window, "文本框2")->toPlainText(), step.log);
      EXPECT_EQ(dialogs.seen, step.seen);
      EXPECT_TRUE(dialogs.all_used());
      // No handler of this page writes into its path box.
      EXPECT_EQ(control<QLineEdit>(window, "路径编辑框1")->text(), kHint);
      EXPECT_FALSE(control<QLineEdit>(window, "路径编辑框1")->isEnabled());
    }
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  FixedClock clock;
  ui::MainWindow window{dialogs, clock};
};

TEST_F(UnpackPageTest, CollectsPackagesUnpacksThemAndReturns) {
  write_file(dir / "a.txt", "alpha\r\n");
  write_file(dir / "b.bin", std::string("\0\xff\x01", 3));
  write_file(dir / "c", "");
  make_package(dir / "one.ZVK", {dir / "a.txt", dir / "b.bin"});
  make_package(dir / "two.ZVK", {dir / "c"});
  std::filesystem::create_directory(dir.path() / "out");
  const QString one = path("one.ZVK"), two = path("two.ZVK");
  // The log opens with the package chosen last, run together with the first line.
  const QString unpacked_log = two + QStringLiteral(
                                         "正在读取待解包文件……\n"
                                         "该打包的文件中一共包含了2个文件\n"
                                         "正在解包:a.txt^-^成功！\n"
                                         "正在解包:b.bin^-^成功！\n"
                                         "正在读取待解包文件……\n"
                                         "该打包的文件中一共包含了1个文件\n"
                                         "正在解包:c^-^成功！\n"
                                         "\n"
                                         "two.ZVK解包完成！\n"
                                         " 一共毫时:0秒\n");

  walk({
      {"at start", [] {}, kEmpty, {}, "", {}},
      {"browse, cancelled", [&] { dialogs.packages.push_back(std::nullopt); click(window, "浏览1"); },
       kEmpty, {}, "", {"package", kNoPackage}},
      {"browse one", [&] { dialogs.packages.push_back(one); click(window, "浏览1"); },
       kCollecting, {one}, one, {"package"}},
      {"browse cancelled keeps the list", [&] { dialogs.packages.push_back(std::nullopt); click(window, "浏览1"); },
       kCollecting, {one}, one, {"package", kNoPackage}},
      {"clear all leaves the log box alone", [&] { click(window, "全部清空1"); }, kEmpty, {}, one, {}},
      {"browse two, then one", [&] {
         dialogs.packages = {two, one};
         click(window, "浏览1");
         click(window, "浏览1");
       }, kCollecting, {two, one}, one, {"package", "package"}},
      {"the same package again is listed again", [&] { dialogs.packages.push_back(two); click(window, "浏览1"); },
       kCollecting, {two, one, two}, two, {"package"}},
      {"clear and choose again", [&] {
         click(window, "全部清空1");
         dialogs.packages = {one, two};
         click(window, "浏览1");
         click(window, "浏览1");
       }, kCollecting, {one, two}, two, {"package", "package"}},
      {"start, no folder chosen", [&] { dialogs.folders.push_back(""); click(window, "开始解包"); },
       kCollecting, {one, two}, two, {kFolder, kNoFolder}},
      {"start, unpacks into the folder", [&] {
         dialogs.folders.push_back(path("out"));
         click(window, "开始解包");
       }, kLogView, {}, unpacked_log, {kFolder}},
      {"return", [&] { click(window, "返回1"); }, kEmpty, {}, "", {}},
  });

  EXPECT_EQ(read_file(dir / "out/a.txt"), "alpha\r\n");
  EXPECT_EQ(read_file(dir / "out/b.bin"), std::string("\0\xff\x01", 3));
  EXPECT_EQ(read_file(dir / "out/c"), "");
}

}  // namespace
}  // namespace qv::testing
