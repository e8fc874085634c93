// A job lets the window handle events while it runs. What the user does at
// such a moment (return, start a job on the other page, close the window)
// must neither crash nor lose data.
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "format/package.h"
#include "jobs/pack_job.h"
#include "tests/support/job_doubles.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window.h"

namespace qv::testing {
namespace {

const PageNames kPack{"列表框1", "文本框1", "返回", "开始打包", "全部清空", "浏览"};

class ReentrancyTest : public ::testing::Test {
 protected:
  ReentrancyTest() {
    write_file(dir / "a.txt", "alpha");
    write_file(dir / "b.txt", "bravo");
    std::filesystem::create_directory(dir.path() / "out");
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    dialogs.files.push_back({path("a.txt"), path("b.txt")});
    click(window, "浏览");
  }

  QString path(const char* name) const { return QString::fromStdString(dir / name); }

  // Runs `act` at the first moment the window handles events, which with
  // scripted dialogs is the running job's first event point.
  void at_first_event_point(std::function<void()> act) {
    QTimer::singleShot(0, &window, [this, act = std::move(act)] {
      acted = true;
      act();
    });
  }

  std::vector<std::string> package_names(const QString& package) const {
    const auto read = format::read_package_file(package.toStdString());
    const auto* members = std::get_if<format::PackageMembers>(&read);
    return members ? members->names : std::vector<std::string>{"(no package)"};
  }

  TempDir dir;
  ScriptedDialogs dialogs;
  FixedClock clock;
  ui::MainWindow window{dialogs, clock};
  bool acted = false;
};

TEST_F(ReentrancyTest, UnpackStartedFromTheOtherPageDuringPacking) {
  FakeHost fake;
  fake.list.items = {dir / "b.txt"};
  ASSERT_TRUE(jobs::run_pack_job({dir / "p.ZVK", "", fake.start}, fake.host));
  dialogs.packages.push_back(path("p.ZVK"));
  click(window, "浏览1");

  bool pack_list_during_unpack = false;
  at_first_event_point([&] {
    control<QTabWidget>(window, "选择夹1")->setCurrentIndex(1);
    dialogs.folders.push_back(path("out"));
    click(window, "开始解包");
    // The outer job is still on its sources.
    pack_list_during_unpack = control<QListWidget>(window, "列表框1")->count() == 2;
  });
  dialogs.destinations.push_back(path("new.ZVK"));
  click(window, "开始打包");

  ASSERT_TRUE(acted);
  EXPECT_TRUE(pack_list_during_unpack);
  EXPECT_EQ(control<QPlainTextEdit>(window, "文本框1")->toPlainText(),
            QStringLiteral("开始打包……\n开始读入文件……\n正在打包:%1\n正在打包:%2\n\n恭喜，打包完毕！\n一共耗时:0秒！\n")
                .arg(path("a.txt"), path("b.txt")));
  EXPECT_EQ(control<QPlainTextEdit>(window, "文本框2")->toPlainText(),
            path("p.ZVK") + QStringLiteral("正在读取待解包文件……\n该打包的文件中一共包含了1个文件\n正在解包:b.txt^-^成功！\n"
                                           "\np.ZVK解包完成！\n 一共毫时:0秒\n"));
  EXPECT_EQ(package_names(path("new.ZVK")), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(read_file(dir / "out/b.txt"), "bravo");
  EXPECT_TRUE(items_of(control<QListWidget>(window, "列表框1")).isEmpty());
  EXPECT_TRUE(items_of(control<QListWidget>(window, "列表框2")).isEmpty());
  EXPECT_TRUE(dialogs.all_used());
}

// Return during the job: the list is back at once with start disabled, the
// job goes on into the hidden log and empties the list when it succeeds.
TEST_F(ReentrancyTest, ReturnDuringPacking) {
  PageView during{};
  at_first_event_point([&] {
    click(window, "返回");
    during = view_of(window, kPack);
  });
  dialogs.destinations.push_back(path("new.ZVK"));
  click(window, "开始打包");

  ASSERT_TRUE(acted);
  const PageView returned{true, false, false, true, false, true, false, true};
  EXPECT_EQ(during, returned);
  EXPECT_EQ(view_of(window, kPack), returned);
  EXPECT_EQ(control<QPlainTextEdit>(window, "文本框1")->toPlainText(),
            QStringLiteral("正在打包:%1\n\n恭喜，打包完毕！\n一共耗时:0秒！\n").arg(path("b.txt")));
  EXPECT_TRUE(items_of(control<QListWidget>(window, "列表框1")).isEmpty());
  EXPECT_EQ(package_names(path("new.ZVK")), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// Closing in the middle of a job, by the close box or by Esc, waits for the
// job: its package is written whole, and then the window goes.
TEST_F(ReentrancyTest, CloseDuringPackingWaitsForTheJob) {
  for (const bool by_escape : {false, true}) {
    SCOPED_TRACE(by_escape ? "Esc" : "close box");
    acted = false;
    bool visible_after_close = false;
    at_first_event_point([&] {
      if (by_escape) {
        window.activateWindow();
        QTest::keyClick(control(window, "文本框1"), Qt::Key_Escape);
      } else {
        window.close();
      }
      visible_after_close = window.isVisible();
    });
    const QString package = path(by_escape ? "esc.ZVK" : "box.ZVK");
    dialogs.destinations.push_back(package);
    click(window, "开始打包");

    ASSERT_TRUE(acted);
    EXPECT_TRUE(visible_after_close);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(package_names(package), (std::vector<std::string>{"a.txt", "b.txt"}));

    // Ready for the next round: back to the list, sources listed again.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    click(window, "返回");
    dialogs.files.push_back({path("a.txt"), path("b.txt")});
    click(window, "浏览");
  }
}

}  // namespace
}  // namespace qv::testing
