#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace qv::ui {
namespace {

const QString kPackageFilter = QStringLiteral("ZVK打包文件专用格式|*.ZVK");

// A save dialog that also refuses a name in a folder that does not exist:
// Qt's would accept it, and the package could then not be written.
class PackageFileDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    const QStringList files = selectedFiles();
    if (acceptMode() == AcceptSave && !files.isEmpty()) {
      const QFileInfo chosen(files.first());
      if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1\n文件夹不存在。\n请检查所给的路径是否正确。").arg(chosen.absolutePath()));
        return;
      }
    }
    QFileDialog::accept();
  }
};

// The dialogs belong to whichever window of ours is active, so they come up
// over it; with none they are still modal for the whole program.
QWidget* dialog_owner() { return QApplication::activeWindow(); }

std::optional<QString> run_file_dialog(QtDialogs::FileDialogState& state) {
  PackageFileDialog dialog(dialog_owner(), state.title, QString(), qt_name_filters(kPackageFilter));
  dialog.setObjectName(state.object_name);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(state.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(state.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // A name typed without the extension gets it here, so that the question
  // before replacing a file is asked about the file really written.
  dialog.setDefaultSuffix(QStringLiteral("ZVK"));
  if (!state.file_name.isEmpty()) dialog.selectFile(state.file_name);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QString chosen = dialog.selectedFiles().value(0);
  if (chosen.isEmpty()) return std::nullopt;
  state.file_name = chosen;
  return chosen;
}

}  // namespace

QString qt_name_filters(const QString& filter) {
  const QStringList pieces = filter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QStringList entries;
  for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
    QString pattern = pieces[i + 1];
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    // "*.*" means every file to the people who write it; taken literally it
    // would hide every name without a dot.
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    entries << pieces[i] + QStringLiteral(" (") + pattern + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

QStringList QtDialogs::choose_files(const QString& title, const QString& filter) {
  QFileDialog dialog(dialog_owner(), title, QString(), qt_name_filters(filter));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

std::optional<QString> QtDialogs::choose_package_destination() { return run_file_dialog(destination_); }

std::optional<QString> QtDialogs::choose_package() { return run_file_dialog(package_); }

QString QtDialogs::choose_folder(const QString& title) {
  QFileDialog dialog(dialog_owner(), title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setFileMode(QFileDialog::Directory);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QString folder = dialog.selectedFiles().value(0);
  return QFileInfo(folder).isDir() ? folder : QString();
}

void QtDialogs::show_message(const QString& text, const QString& title) {
  // No owner, as the messages have always had; application-modal makes up
  // for it, so that no window of ours takes input while it is up.
  QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

int QtDialogs::popup_menu(const QString& title, const QStringList& items) {
  QMenu menu(title, dialog_owner());
  for (const QString& item : items) menu.addAction(item);
  // Just below and right of the pointer, so the first item is not picked by
  // the very release that opened the menu.
  QAction* picked = menu.exec(QCursor::pos() + QPoint(3, 3));
  return picked ? static_cast<int>(menu.actions().indexOf(picked)) : -1;
}

}  // namespace qv::ui
