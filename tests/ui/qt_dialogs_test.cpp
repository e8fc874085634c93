// The dialogs the program really shows, driven as a user would: each test
// waits for the dialog to come up, looks at it and answers it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "tests/support/temp_dir.h"
#include "tests/ui/qt_printers.h"
#include "ui/qt_dialogs.h"

namespace qv::testing {
namespace {

// Waits, from the event loop of whatever dialog is open, until a modal
// dialog other than `over` comes up, then hands it to `answer`.
void when_dialog(std::function<void(QWidget*)> answer, QWidget* over = nullptr) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, over, answer = std::move(answer)] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || dialog == over || !dialog->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    answer(dialog);
  });
  timer->start();
}

// The same for the popup menu, which is no modal dialog.
void when_menu(std::function<void(QMenu*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer)] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    answer(menu);
  });
  timer->start();
}

QLineEdit* name_box(QWidget* dialog) { return dialog->findChild<QLineEdit*>("fileNameEdit"); }

// What the dialog's accept button does.
void accept(QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); }

// Types `name` into the dialog's file name box and accepts it.
void type_and_accept(QWidget* dialog, const QString& name) {
  name_box(dialog)->setText(name);
  accept(dialog);
}

class QtDialogsTest : public ::testing::Test {
 protected:
  QString path(const char* name) const { return QString::fromStdString(dir / name); }

  TempDir dir;
  ui::QtDialogs dialogs;
};

TEST_F(QtDialogsTest, DestinationDialogRemembersTheConfirmedName) {
  // First opening: proposes "ZVK"; a name without the extension gets it.
  when_dialog([&](QWidget* d) {
    auto* dialog = qobject_cast<QFileDialog*>(d);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("通用对话框1"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("请选择要将打包的文件存放在什么地方:"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("ZVK打包文件专用格式 (*.ZVK)")});
    EXPECT_EQ(name_box(dialog)->text(), QStringLiteral("ZVK"));
    type_and_accept(dialog, path("first"));
  });
  EXPECT_EQ(dialogs.choose_package_destination(), path("first.ZVK"));

  // Next opening proposes that path; a cancel changes nothing.
  when_dialog([&](QWidget* dialog) {
    EXPECT_EQ(static_cast<QFileDialog*>(dialog)->selectedFiles(), QStringList{path("first.ZVK")});
    static_cast<QFileDialog*>(dialog)->reject();
  });
  EXPECT_EQ(dialogs.choose_package_destination(), std::nullopt);

  // A name in a folder that does not exist is refused, and the dialog stays.
  when_dialog([&](QWidget* dialog) {
    EXPECT_EQ(static_cast<QFileDialog*>(dialog)->selectedFiles(), QStringList{path("first.ZVK")});
    when_dialog([&, dialog](QWidget* warning) {
      EXPECT_NE(qobject_cast<QMessageBox*>(warning), nullptr);
      static_cast<QMessageBox*>(warning)->accept();
      when_dialog([](QWidget* still_open) { static_cast<QFileDialog*>(still_open)->reject(); });
    }, dialog);
    type_and_accept(dialog, path("missing/x.ZVK"));
  });
  EXPECT_EQ(dialogs.choose_package_destination(), std::nullopt);

  // An existing file is replaced only after the user says so.
  write_file(dir / "first.ZVK", "old");
  when_dialog([&](QWidget* dialog) {
    EXPECT_EQ(static_cast<QFileDialog*>(dialog)->selectedFiles(), QStringList{path("first.ZVK")});
    bool asked = false;
    when_dialog([&asked](QWidget* question) {
      asked = qobject_cast<QMessageBox*>(question) != nullptr;
      static_cast<QMessageBox*>(question)->button(QMessageBox::Yes)->click();
    }, dialog);
    accept(dialog);
    EXPECT_TRUE(asked);
  });
  EXPECT_EQ(dialogs.choose_package_destination(), path("first.ZVK"));
}

TEST_F(QtDialogsTest, PackageDialogProposesNothingFirstThenTheChosenPackage) {
  write_file(dir / "p.ZVK", "");
  when_dialog([&](QWidget* d) {
    auto* dialog = qobject_cast<QFileDialog*>(d);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), QStringLiteral("通用对话框2"));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("ZVK打包文件专用格式 (*.ZVK)")});
    EXPECT_EQ(name_box(dialog)->text(), QString());
    type_and_accept(dialog, path("p.ZVK"));
  });
  EXPECT_EQ(dialogs.choose_package(), path("p.ZVK"));

  when_dialog([&](QWidget* dialog) {
    EXPECT_EQ(static_cast<QFileDialog*>(dialog)->selectedFiles(), QStringList{path("p.ZVK")});
    static_cast<QFileDialog*>(dialog)->reject();
  });
  EXPECT_EQ(dialogs.choose_package(), std::nullopt);
}

TEST_F(QtDialogsTest, SourceDialogGivesEveryChosenFileInOrder) {
  write_file(dir / "a.txt", "");
  write_file(dir / "README", "");
  when_dialog([&](QWidget* d) {
    auto* dialog = qobject_cast<QFileDialog*>(d);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("请选择要打包的文件:"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    // Every file, a name without a dot included.
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("所有文件 (*)")});
    dialog->setDirectory(QString::fromStdString(dir.path().string()));
    type_and_accept(dialog, QStringLiteral("\"README\" \"a.txt\""));
  });
  EXPECT_EQ(dialogs.choose_files(QStringLiteral("请选择要打包的文件:"), QStringLiteral("所有文件|*.*")),
            (QStringList{path("README"), path("a.txt")}));

  when_dialog([](QWidget* dialog) { static_cast<QFileDialog*>(dialog)->reject(); });
  EXPECT_TRUE(dialogs.choose_files(QStringLiteral("t"), QStringLiteral("所有文件|*.*")).isEmpty());
}

TEST_F(QtDialogsTest, FolderBrowserGivesTheFolderOrNothing) {
  std::filesystem::create_directory(dir.path() / "out");
  when_dialog([&](QWidget* d) {
    auto* dialog = qobject_cast<QFileDialog*>(d);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("请选择解包后的文件存放的位置:"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    type_and_accept(dialog, path("out"));
  });
  EXPECT_EQ(dialogs.choose_folder(QStringLiteral("请选择解包后的文件存放的位置:")), path("out"));

  when_dialog([](QWidget* dialog) { static_cast<QFileDialog*>(dialog)->reject(); });
  EXPECT_EQ(dialogs.choose_folder(QStringLiteral("t")), QString());
}

TEST_F(QtDialogsTest, MessageBoxIsAnInformationWithOneButton) {
  when_dialog([](QWidget* d) {
    auto* box = qobject_cast<QMessageBox*>(d);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("提示"));
    EXPECT_EQ(box->text(), QStringLiteral("要打包的文件不能少哦！"));
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->parentWidget(), nullptr);
    box->button(QMessageBox::Ok)->click();
  });
  dialogs.show_message(QStringLiteral("要打包的文件不能少哦！"), QStringLiteral("提示"));
}

TEST_F(QtDialogsTest, PopupMenuOpensBesideThePointer) {
  QCursor::setPos(200, 150);
  when_menu([](QMenu* menu) {
    EXPECT_EQ(menu->title(), QStringLiteral("系统"));
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("删除此项"));
    EXPECT_EQ(menu->pos(), QPoint(203, 153));
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  EXPECT_EQ(dialogs.popup_menu(QStringLiteral("系统"), {QStringLiteral("删除此项")}), 0);

  when_menu([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
  EXPECT_EQ(dialogs.popup_menu(QStringLiteral("系统"), {QStringLiteral("删除此项")}), -1);
}

}  // namespace
}  // namespace qv::testing
