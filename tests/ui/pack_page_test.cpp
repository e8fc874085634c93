// The pack page walked through its states with a scripted user, on real
// files: every step checks the buttons, the list, the path box, the log
// and what the user was shown.
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <functional>

#include "format/package.h"
#include "tests/support/job_doubles.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window.h"

namespace qv::testing {
namespace {

const QString kHint = QStringLiteral("<点击右边的‘浏览’按钮来往列表框中添加要打包的文件>");
const QString kBrowse = QStringLiteral("files 请选择要打包的文件: 所有文件|*.*");
const QString kNothingChosen = QStringLiteral("提示: 要打包的文件不能少哦！");
const QString kListEmpty = QStringLiteral("提示: 请点击‘浏览’按钮来往列表框中添加要打包的文件");
const QString kNoDestination = QStringLiteral("提示: 要选择将打包的文件存放在什么地方！");
const QString kMenu = QStringLiteral("menu 系统: 删除此项");
const PageNames kPack{"列表框1", "文本框1", "返回", "开始打包", "全部清空", "浏览"};

// The page's states: list, log, return, start, clear-all, browse.
constexpr PageView kEmpty{true, false, false, true, false, true, false, true};
constexpr PageView kCollecting{true, false, false, true, true, true, true, true};
constexpr PageView kLogView{false, true, true, false, false, false, false, false};
constexpr PageView kReturned = kEmpty;

struct Step {
  const char* what;
  std::function<void()> act;
  PageView view;
  QStringList items;
  QString path_box;
  QString log;
  QStringList seen;
};

class PackPageTest : public ::testing::Test {
 protected:
  PackPageTest() {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  QString path(const char* name) const { return QString::fromStdString(dir / name); }
  QListWidget* list() const { return control<QListWidget>(window, "列表框1"); }

  void walk(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.what);
      dialogs.seen.clear();
      step.act();
      EXPECT_EQ(view_of(window, kPack), step.view);
      EXPECT_EQ(items_of(list()), step.items);
      EXPECT_EQ(control<QLineEdit>(window, "路径编辑框")->text(), step.path_box);
      EXPECT_EQ(control<QPlainTextEdit>(window, "文本框1")->toPlainText(), step.log);
      EXPECT_EQ(dialogs.seen, step.seen);
      EXPECT_TRUE(dialogs.all_used());
      // The path box only ever shows; nobody types into it.
      EXPECT_FALSE(control<QLineEdit>(window, "路径编辑框")->isEnabled());
    }
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  FixedClock clock;
  ui::MainWindow window{dialogs, clock};
};

TEST_F(PackPageTest, CollectsSourcesPacksThemAndReturns) {
  std::filesystem::create_directory(dir.path() / "sub");
  write_file(dir / "a.txt", "alpha\r\n");
  write_file(dir / "b.bin", std::string("\0\xff\x01", 3));
  write_file(dir / "sub/c", "");
  const QString a = path("a.txt"), b = path("b.bin"), c = path("sub/c");
  const QString folder = QString::fromStdString(dir.path().string()) + "/";
  const QString package = path("out.ZVK");
  const QString packed_log = QStringLiteral("开始打包……\n开始读入文件……\n正在打包:%1\n正在打包:%2\n正在打包:%1\n\n恭喜，打包完毕！\n一共耗时:0秒！\n").arg(a, c);

  walk({
      {"at start", [] {}, kEmpty, {}, kHint, "", {}},
      {"browse, cancelled", [&] { dialogs.files.push_back({}); click(window, "浏览"); },
       kEmpty, {}, kHint, "", {kBrowse, kNothingChosen}},
      {"browse two files", [&] { dialogs.files.push_back({a, b}); click(window, "浏览"); },
       kCollecting, {a, b}, folder, "", {kBrowse}},
      {"browse one more in another folder", [&] { dialogs.files.push_back({c}); click(window, "浏览"); },
       kCollecting, {a, b, c}, folder + "sub/", "", {kBrowse}},
      {"the same file again is listed again", [&] { dialogs.files.push_back({a}); click(window, "浏览"); },
       kCollecting, {a, b, c, a}, folder, "", {kBrowse}},
      {"browse cancelled keeps the list", [&] { dialogs.files.push_back({}); click(window, "浏览"); },
       kCollecting, {a, b, c, a}, folder, "", {kBrowse, kNothingChosen}},
      {"right click with nothing selected: no menu", [&] { right_click_row(list(), 2); },
       kCollecting, {a, b, c, a}, folder, "", {}},
      {"menu closed without a pick", [&] {
         list()->setCurrentRow(1);
         dialogs.menu_picks.push_back(-1);
         right_click_row(list(), 3);
       }, kCollecting, {a, b, c, a}, folder, "", {kMenu}},
      {"delete removes the selected item, not the one under the pointer", [&] {
         dialogs.menu_picks.push_back(0);
         right_click_row(list(), 3);
       }, kCollecting, {a, c, a}, folder, "", {kMenu}},
      {"start, destination not chosen", [&] { dialogs.destinations.push_back(std::nullopt); click(window, "开始打包"); },
       kCollecting, {a, c, a}, folder, "", {"destination", kNoDestination}},
      {"start, packs into the chosen file", [&] { dialogs.destinations.push_back(package); click(window, "开始打包"); },
       kLogView, {}, folder, packed_log, {"destination"}},
      {"return", [&] { click(window, "返回"); }, kReturned, {}, folder, "", {}},
      {"browse after return", [&] { dialogs.files.push_back({b}); click(window, "浏览"); },
       kCollecting, {b}, folder, "", {kBrowse}},
      {"clear all", [&] { click(window, "全部清空"); }, kEmpty, {}, kHint, "", {}},
  });

  const auto read = format::read_package_file(package.toStdString());
  const auto* members = std::get_if<format::PackageMembers>(&read);
  ASSERT_NE(members, nullptr);
  EXPECT_EQ(members->names, (format::TextArray{"a.txt", "c", "a.txt"}));
  ASSERT_EQ(members->contents.size(), 3u);
  EXPECT_EQ(format::read_block_bytes(members->contents[0]), "alpha\r\n");
  EXPECT_EQ(format::read_block_bytes(members->contents[1]), "");
  EXPECT_EQ(format::read_block_bytes(members->contents[2]), "alpha\r\n");
}

TEST_F(PackPageTest, FailedJobKeepsItsSourcesAndLeavesNoPackage) {
  write_file(dir / "a.txt", "alpha");
  const QString a = path("a.txt"), gone = path("gone.txt");
  const QString folder = QString::fromStdString(dir.path().string()) + "/";
  const QString package = path("out.ZVK");
  const QString failed_log =
      QStringLiteral("开始打包……\n开始读入文件……\n正在打包:%1\n正在打包:%2\n无法读取文件:%2\n\n打包失败！\n").arg(a, gone);

  walk({
      {"browse a file and one that is not there", [&] { dialogs.files.push_back({a, gone}); click(window, "浏览"); },
       kCollecting, {a, gone}, folder, "", {kBrowse}},
      {"start: the job fails", [&] { dialogs.destinations.push_back(package); click(window, "开始打包"); },
       kLogView, {a, gone}, folder, failed_log, {"destination"}},
      {"return: still listed, start disabled", [&] { click(window, "返回"); },
       kReturned, {a, gone}, folder, "", {}},
      {"delete from the returned list", [&] {
         list()->setCurrentRow(1);
         dialogs.menu_picks.push_back(0);
         right_click_row(list(), 0);
       }, kReturned, {a}, folder, "", {kMenu}},
      {"one more browse enables start", [&] { dialogs.files.push_back({a}); click(window, "浏览"); },
       kCollecting, {a, a}, folder, "", {kBrowse}},
  });
  EXPECT_FALSE(std::filesystem::exists(package.toStdString()));
}

TEST_F(PackPageTest, ListEmptiedThroughTheMenuIsCaughtAtStart) {
  write_file(dir / "a.txt", "alpha");
  const QString a = path("a.txt");
  const QString folder = QString::fromStdString(dir.path().string()) + "/";

  walk({
      {"browse", [&] { dialogs.files.push_back({a}); click(window, "浏览"); },
       kCollecting, {a}, folder, "", {kBrowse}},
      {"delete the only item: start stays enabled", [&] {
         list()->setCurrentRow(0);
         dialogs.menu_picks.push_back(0);
         right_click_row(list(), 0);
       }, kCollecting, {}, folder, "", {kMenu}},
      {"start on the empty list", [&] { click(window, "开始打包"); },
       kCollecting, {}, folder, "", {kListEmpty}},
  });
}

}  // namespace
}  // namespace qv::testing
