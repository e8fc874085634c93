#pragma once
// What the window tests share: a user whose answers to dialogs are written
// down beforehand, and short ways to reach and use the window's controls.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <deque>

#include "tests/ui/qt_printers.h"
#include "ui/dialogs.h"

namespace qv::testing {

// Answers each dialog with the next scripted answer and writes down all the
// user was shown, one entry per dialog, message or menu, so a test can check
// what the user saw and in which order. A dialog without an answer left
// fails the test and is cancelled.
class ScriptedDialogs final : public ui::Dialogs {
 public:
  std::deque<QStringList> files;
  std::deque<std::optional<QString>> destinations;
  std::deque<std::optional<QString>> packages;
  std::deque<QString> folders;
  std::deque<int> menu_picks;
  QStringList seen;

  QStringList choose_files(const QString& title, const QString& filter) override;
  std::optional<QString> choose_package_destination() override;
  std::optional<QString> choose_package() override;
  QString choose_folder(const QString& title) override;
  void show_message(const QString& text, const QString& title) override;
  int popup_menu(const QString& title, const QStringList& items) override;

  // Every answer given was used.
  bool all_used() const;
};

// The control named `name` in `window`; fails the test when there is none.
template <class T = QWidget>
T* control(const QWidget& window, const QString& name) {
  T* found = window.findChild<T*>(name);
  EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
  return found;
}

// Clicks a button as a user can: only while it is shown and enabled.
void click(const QWidget& window, const QString& name);

// Presses and releases the right mouse button over the list's row `row`,
// then lets a menu pick's own event run.
void right_click_row(QListWidget* list, int row);

QStringList items_of(const QListWidget* list);

// Everything a user can see of one page, to compare in one go; a button
// counts as enabled only while it is shown.
struct PageView {
  bool list_shown, log_shown, back_shown, start_shown, start_enabled, clear_shown, clear_enabled, browse_enabled;
  bool operator==(const PageView&) const = default;
};
std::ostream& operator<<(std::ostream& out, const PageView& view);

struct PageNames {
  QString list, log, back, start, clear, browse;
};
PageView view_of(const QWidget& window, const PageNames& names);

}  // namespace qv::testing
