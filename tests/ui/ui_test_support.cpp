#include "tests/ui/ui_test_support.h"

#include <QCoreApplication>
#include <QTabWidget>
#include <QTest>

namespace qv::testing {
namespace {

template <class T>
T take(std::deque<T>& answers, T fallback, const char* what) {
  if (answers.empty()) {
    ADD_FAILURE() << "no scripted answer for the " << what;
    return fallback;
  }
  T answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

QStringList ScriptedDialogs::choose_files(const QString& title, const QString& filter) {
  seen << QStringLiteral("files %1 %2").arg(title, filter);
  return take(files, QStringList(), "multiple-selection dialog");
}

std::optional<QString> ScriptedDialogs::choose_package_destination() {
  seen << QStringLiteral("destination");
  return take(destinations, std::optional<QString>(), "destination dialog");
}

std::optional<QString> ScriptedDialogs::choose_package() {
  seen << QStringLiteral("package");
  return take(packages, std::optional<QString>(), "package dialog");
}

QString ScriptedDialogs::choose_folder(const QString& title) {
  seen << QStringLiteral("folder %1").arg(title);
  return take(folders, QString(), "folder browser");
}

void ScriptedDialogs::show_message(const QString& text, const QString& title) {
  seen << QStringLiteral("%1: %2").arg(title, text);
}

int ScriptedDialogs::popup_menu(const QString& title, const QStringList& items) {
  seen << QStringLiteral("menu %1: %2").arg(title, items.join(QLatin1Char(',')));
  return take(menu_picks, -1, "popup menu");
}

bool ScriptedDialogs::all_used() const {
  return files.empty() && destinations.empty() && packages.empty() && folders.empty() && menu_picks.empty();
}

void click(const QWidget& window, const QString& name) {
  auto* button = control<QPushButton>(window, name);
  if (!button) return;
  // The user brings the button's page to the front first.
  if (auto* tabs = window.findChild<QTabWidget*>()) {
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->widget(i)->isAncestorOf(button)) tabs->setCurrentIndex(i);
    }
  }
  ASSERT_TRUE(button->isVisibleTo(&window)) << name.toStdString() << " is hidden";
  ASSERT_TRUE(button->isEnabled()) << name.toStdString() << " is disabled";
  button->click();
}

void right_click_row(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
  QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
  QCoreApplication::processEvents();
}

QStringList items_of(const QListWidget* list) {
  QStringList items;
  for (int i = 0; list && i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

std::ostream& operator<<(std::ostream& out, const PageView& v) {
  return out << "{list " << v.list_shown << ", log " << v.log_shown << ", back " << v.back_shown << ", start "
             << v.start_shown << "/" << v.start_enabled << ", clear " << v.clear_shown << "/" << v.clear_enabled
             << ", browse " << v.browse_enabled << "}";
}

PageView view_of(const QWidget& window, const PageNames& n) {
  // Shown as far as the page goes: the other tab may be the current one.
  const auto shown = [&](const QString& name) {
    const QWidget* w = control(window, name);
    return w && w->isVisibleTo(w->parentWidget());
  };
  const auto enabled = [&](const QString& name) {
    const QWidget* w = control(window, name);
    return w && w->isEnabled();
  };
  // A hidden button cannot be used, whatever its enabled state.
  const auto usable = [&](const QString& name) { return shown(name) && enabled(name); };
  return {shown(n.list),   shown(n.log),   shown(n.back),   shown(n.start),
          usable(n.start), shown(n.clear), usable(n.clear), enabled(n.browse)};
}

}  // namespace qv::testing
