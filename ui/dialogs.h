#pragma once
// Every moment at which a page waits for the user's answer goes through this
// seam: the program answers with Qt's own dialogs (QtDialogs), the tests with
// scripted answers, so the page handlers run the same either way.
#include <QString>
#include <QStringList>
#include <optional>

namespace qv::ui {

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // The multiple-selection open dialog. `filter` is a label and a pattern
  // joined by "|". The full paths of the chosen files in the dialog's order;
  // empty when the user cancels.
  virtual QStringList choose_files(const QString& title, const QString& filter) = 0;

  // The save dialog for a new package (通用对话框1). It remembers its file
  // name across openings: "ZVK" at first, then the path last confirmed. The
  // chosen full path, or nothing when the user cancels.
  virtual std::optional<QString> choose_package_destination() = 0;

  // The open dialog for one existing package (通用对话框2), remembering its
  // file name the same way (empty at first).
  virtual std::optional<QString> choose_package() = 0;

  // The folder browser: a folder's full path ("/" ends only the root), or an
  // empty text when the user cancels or picks something that is no folder.
  virtual QString choose_folder(const QString& title) = 0;

  // A message with the information icon and one OK button, modal for the
  // whole program; returns when the user has dismissed it.
  virtual void show_message(const QString& text, const QString& title) = 0;

  // A context menu titled `title` at the mouse cursor; the position of the
  // picked item, or -1 when the menu was closed without a pick.
  virtual int popup_menu(const QString& title, const QStringList& items) = 0;
};

}  // namespace qv::ui
