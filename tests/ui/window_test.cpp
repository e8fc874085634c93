// The window as it opens: its frame, the tab control, and every control of
// both pages with its name, kind, place, caption and state.
#include <QAbstractItemDelegate>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "tests/support/job_doubles.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_window.h"

namespace qv::testing {
namespace {

const QString kHint = QStringLiteral("<点击右边的‘浏览’按钮来往列表框中添加要打包的文件>");

enum class Kind { list, log, path, push, flat };

struct ControlRow {
  const char* group;
  const char* name;
  Kind kind;
  QRect place;  // within its group box
  QString caption;
  bool visible;
  bool enabled;
};

const ControlRow kControls[] = {
    {"分组框1", "列表框1", Kind::list, {8, 40, 368, 168}, "", true, true},
    {"分组框1", "返回", Kind::push, {148, 216, 80, 32}, "返    回", false, true},
    {"分组框1", "文本框1", Kind::log, {8, 40, 368, 168}, "", false, true},
    {"分组框1", "全部清空", Kind::push, {240, 216, 80, 32}, "全 部 清 空", true, false},
    {"分组框1", "开始打包", Kind::push, {56, 216, 80, 32}, "开 始 打 包", true, false},
    {"分组框1", "浏览", Kind::flat, {322, 15, 53, 22}, "浏  览", true, true},
    {"分组框1", "路径编辑框", Kind::path, {8, 16, 314, 20}, kHint, true, false},
    {"分组框2", "列表框2", Kind::list, {8, 40, 368, 168}, "", true, true},
    {"分组框2", "返回1", Kind::push, {148, 216, 80, 32}, "返    回", false, true},
    {"分组框2", "文本框2", Kind::log, {8, 40, 368, 168}, "", false, true},
    {"分组框2", "全部清空1", Kind::push, {240, 216, 80, 32}, "全 部 清 空", true, false},
    {"分组框2", "开始解包", Kind::push, {56, 216, 80, 32}, "开 始 解 包", true, false},
    {"分组框2", "浏览1", Kind::flat, {322, 15, 53, 22}, "浏  览", true, true},
    {"分组框2", "路径编辑框1", Kind::path, {8, 16, 314, 20}, kHint, true, false},
};

// The caption, or for a list its items: what a user reads off the control.
QString text_of(const QWidget* w) {
  if (auto* list = qobject_cast<const QListWidget*>(w)) return items_of(list).join('\n');
  if (auto* log = qobject_cast<const QPlainTextEdit*>(w)) return log->toPlainText();
  if (auto* line = qobject_cast<const QLineEdit*>(w)) return line->text();
  if (auto* button = qobject_cast<const QPushButton*>(w)) return button->text();
  return {};
}

// What a page change could disturb in one control.
struct ControlState {
  bool visible, enabled;
  QString text;
  bool operator==(const ControlState&) const = default;
};

std::vector<ControlState> states_of(const QWidget& window) {
  std::vector<ControlState> states;
  for (const ControlRow& row : kControls) {
    const QWidget* w = control(window, row.name);
    states.push_back({w->isVisibleTo(w->parentWidget()), w->isEnabled(), text_of(w)});
  }
  return states;
}

void expect_kind(const QWidget* w, Kind kind) {
  switch (kind) {
    case Kind::list: {
      auto* list = qobject_cast<const QListWidget*>(w);
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
      EXPECT_FALSE(list->isSortingEnabled());
      EXPECT_TRUE(list->selectedItems().isEmpty());
      // Each row is one pixel taller than a line of the list's font.
      QStyleOptionViewItem option;
      option.initFrom(list);
      EXPECT_EQ(list->itemDelegate()->sizeHint(option, QModelIndex()).height(), list->fontMetrics().height() + 1);
      break;
    }
    case Kind::log: {
      auto* log = qobject_cast<const QPlainTextEdit*>(w);
      ASSERT_NE(log, nullptr);
      EXPECT_TRUE(log->isReadOnly());
      EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::NoWrap);
      EXPECT_NE(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      EXPECT_NE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      break;
    }
    case Kind::path: {
      auto* line = qobject_cast<const QLineEdit*>(w);
      ASSERT_NE(line, nullptr);
      // The hint is longer than the box: its beginning must show.
      EXPECT_EQ(line->cursorPosition(), 0);
      EXPECT_EQ(line->palette().color(QPalette::Disabled, QPalette::Text), QColor(128, 128, 128));
      break;
    }
    case Kind::push:
    case Kind::flat: {
      auto* button = qobject_cast<const QPushButton*>(w);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->isFlat(), kind == Kind::flat);
      EXPECT_FALSE(button->autoDefault() || button->isDefault());
      break;
    }
  }
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  ScriptedDialogs dialogs;
  FixedClock clock;
  ui::MainWindow window{dialogs, clock};
};

TEST_F(WindowTest, OpensAsDesigned) {
  EXPECT_EQ(window.objectName(), QStringLiteral("窗口"));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorvane——Tenvari"));
  EXPECT_EQ(window.size(), QSize(398, 292));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window.findChildren<QMenuBar*>().isEmpty());
  // Centred as a 404 x 324 window would be.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window.frameGeometry().topLeft(),
            screen.topLeft() + QPoint((screen.width() - 404) / 2, (screen.height() - 324) / 2));

  auto* tabs = control<QTabWidget>(window, "选择夹1");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->geometry(), QRect(0, 0, 398, 290));
  EXPECT_EQ(tabs->tabPosition(), QTabWidget::South);
  ASSERT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("文件打包"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("文件解包"));
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_FALSE(tabs->focusPolicy() & Qt::TabFocus);
  EXPECT_FALSE(tabs->tabBar()->focusPolicy() & Qt::TabFocus);
  // Drawn along the bottom edge.
  EXPECT_GT(tabs->tabBar()->mapTo(tabs, QPoint(0, 0)).y(), 200);

  for (const char* name : {"分组框1", "分组框2"}) {
    SCOPED_TRACE(name);
    auto* group = control<QGroupBox>(window, name);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("文件打包:"));
    EXPECT_EQ(QRect(group->mapTo(tabs, QPoint(0, 0)), group->size()), QRect(8, 8, 384, 256));
    EXPECT_FALSE(group->focusPolicy() & Qt::TabFocus);
  }
  EXPECT_EQ(tabs->widget(0)->findChild<QGroupBox*>()->objectName(), QStringLiteral("分组框1"));
  EXPECT_EQ(tabs->widget(1)->findChild<QGroupBox*>()->objectName(), QStringLiteral("分组框2"));
}

TEST_F(WindowTest, EveryControlStartsInItsPlaceAndState) {
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(row.name);
    const QWidget* w = control(window, row.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString(row.group));
    expect_kind(w, row.kind);
    EXPECT_EQ(w->geometry(), row.place);
    EXPECT_EQ(text_of(w), row.caption);
    EXPECT_EQ(w->isVisibleTo(w->parentWidget()), row.visible);
    EXPECT_EQ(w->isEnabled(), row.enabled);
    EXPECT_TRUE(w->focusPolicy() & Qt::TabFocus);
  }
}

TEST_F(WindowTest, GroupBoxCaptionIsBlue) {
  for (const char* name : {"分组框1", "分组框2"}) {
    SCOPED_TRACE(name);
    const QImage image = control<QGroupBox>(window, name)->grab(QRect(0, 0, 120, 16)).toImage();
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++blue;
      }
    }
    EXPECT_GT(blue, 20) << "the caption should be drawn in blue";
  }
}

TEST_F(WindowTest, PageChangesKeepEveryControlsState) {
  auto* tabs = control<QTabWidget>(window, "选择夹1");
  const auto check_round_trip = [&] {
    const auto before = states_of(window);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(states_of(window), before);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(states_of(window), before);
  };
  {
    SCOPED_TRACE("at start");
    check_round_trip();
  }
  {
    SCOPED_TRACE("in log view");
    dialogs.files.push_back({"/nonexistent/a"});
    click(window, "浏览");
    dialogs.destinations.push_back("/nonexistent/out.ZVK");
    click(window, "开始打包");
    tabs->setCurrentIndex(1);
    dialogs.packages.push_back("/nonexistent/p.ZVK");
    click(window, "浏览1");
    check_round_trip();
  }
}

// Esc closes the window whichever control has the focus, whatever the page.
TEST_F(WindowTest, EscapeClosesFromEveryControl) {
  auto* tabs = control<QTabWidget>(window, "选择夹1");
  // Into the log view on the pack page so that the log box and the return
  // button can take the focus as well.
  dialogs.files.push_back({"/nonexistent/a"});
  click(window, "浏览");
  const std::vector<std::pair<int, const char*>> focus = {
      {0, "列表框1"}, {0, "浏览"}, {0, "开始打包"}, {0, "全部清空"}, {1, "列表框2"}, {1, "浏览1"}};
  const auto press_escape_on = [&](int page, const char* name) {
    SCOPED_TRACE(name);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    tabs->setCurrentIndex(page);
    QWidget* w = control(window, name);
    w->setFocus();
    ASSERT_TRUE(w->hasFocus());
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
  };
  for (const auto& [page, name] : focus) press_escape_on(page, name);
  window.show();
  dialogs.destinations.push_back("/nonexistent/out.ZVK");
  click(window, "开始打包");
  press_escape_on(0, "文本框1");
  press_escape_on(0, "返回");
}

}  // namespace
}  // namespace qv::testing
