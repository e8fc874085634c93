#pragma once
// The dialogs as the program shows them: Qt's own widget dialogs, never the
// desktop's native ones, so they look and behave alike on every desktop and
// the tests can drive them.
#include "ui/dialogs.h"

namespace qv::ui {

class QtDialogs final : public Dialogs {
 public:
  QStringList choose_files(const QString& title, const QString& filter) override;
  std::optional<QString> choose_package_destination() override;
  std::optional<QString> choose_package() override;
  QString choose_folder(const QString& title) override;
  void show_message(const QString& text, const QString& title) override;
  int popup_menu(const QString& title, const QStringList& items) override;

  // One of the two single-file dialogs and the file name it keeps between
  // openings; a cancel leaves the name as it was.
  struct FileDialogState {
    QString object_name;
    QString title;
    bool save = false;
    QString file_name;
  };

 private:
  FileDialogState destination_{QStringLiteral("通用对话框1"), QStringLiteral("请选择要将打包的文件存放在什么地方:"), true,
                               QStringLiteral("ZVK")};
  FileDialogState package_{QStringLiteral("通用对话框2"), QString(), false, QString()};
};

// A filter written as "label|pattern|label|pattern..." in the form Qt's
// dialogs take: "label (pattern);;label (pattern)".
QString qt_name_filters(const QString& filter);

}  // namespace qv::ui
