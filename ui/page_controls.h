#pragma once
// The two pages carry the same set of controls in the same places; only their
// names, one caption and what their handlers do differ.
#include <QString>

class QGroupBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace qv::ui {

// What the path box shows until a browse puts a folder there.
QString path_hint();

struct PageControlNames {
  QString group;
  QString path;
  QString browse;
  QString list;
  QString log;
  QString start;
  QString start_caption;
  QString clear;
  QString back;
};

struct PageControls {
  QGroupBox* group = nullptr;
  QLineEdit* path = nullptr;
  QPushButton* browse = nullptr;
  QListWidget* list = nullptr;
  QPlainTextEdit* log = nullptr;
  QPushButton* start = nullptr;
  QPushButton* clear = nullptr;
  QPushButton* back = nullptr;
};

// Builds the group box on `page` and every control in it, each in its place
// and in its state at start: the list shown, the log box and the return
// button hidden, start and clear-all disabled, the path box showing the hint.
PageControls build_page_controls(QWidget* page, const PageControlNames& names);

// Puts `text` into a path box so that its beginning shows, however long.
void show_path(QLineEdit* path_box, const QString& text);

// Clear all, alike on both pages: empties the list, shows the hint again,
// disables start and clear-all and enables browse. The log box keeps its text.
void clear_list(PageControls& c);

// Switches a page into its log view, one control at a time in this order:
// hides the list, shows the log box and the return button, hides start and
// clear-all, disables browse.
void show_log_view(PageControls& c);

}  // namespace qv::ui
