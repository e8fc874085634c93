#include "ui/page_controls.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace qv::ui {
namespace {

QPushButton* make_button(QGroupBox* group, const QString& name, const QString& caption, const QRect& where) {
  auto* button = new QPushButton(caption, group);
  button->setObjectName(name);
  button->setGeometry(where);
  // No button answers Enter on its own: a stray Enter must not start a job.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

// List rows one pixel taller than the font's line, which keeps the items
// of a long list from crowding each other.
class RoomierRows final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width(), option.fontMetrics.height() + 1};
  }
};

}  // namespace

QString path_hint() { return QStringLiteral("<点击右边的‘浏览’按钮来往列表框中添加要打包的文件>"); }

PageControls build_page_controls(QWidget* page, const PageControlNames& names) {
  PageControls c;

  c.group = new QGroupBox(QStringLiteral("文件打包:"), page);
  c.group->setObjectName(names.group);
  c.group->setGeometry(8, 8, 384, 256);
  // The caption sits on the frame's top edge, as group boxes have always
  // looked, rather than above it: the controls were placed for that frame.
  c.group->setStyleSheet(QStringLiteral(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 7px; padding: 0 1px;"
      " color: rgb(0, 0, 255); }"));

  // Created in the order the Tab key should visit them.
  c.path = new QLineEdit(c.group);
  c.path->setObjectName(names.path);
  c.path->setGeometry(8, 16, 314, 20);
  QPalette grey = c.path->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    grey.setColor(group, QPalette::Text, QColor(128, 128, 128));
    grey.setColor(group, QPalette::Base, Qt::white);
  }
  c.path->setPalette(grey);
  // It only shows where the files came from; nobody types into it.
  c.path->setEnabled(false);
  show_path(c.path, path_hint());

  c.browse = make_button(c.group, names.browse, QStringLiteral("浏  览"), QRect(322, 15, 53, 22));
  c.browse->setFlat(true);

  c.list = new QListWidget(c.group);
  c.list->setObjectName(names.list);
  c.list->setGeometry(8, 40, 368, 168);
  c.list->setSelectionMode(QAbstractItemView::SingleSelection);
  c.list->setSortingEnabled(false);
  c.list->setItemDelegate(new RoomierRows(c.list));

  // The log lies over the list and takes its place while a job reports.
  c.log = new QPlainTextEdit(c.group);
  c.log->setObjectName(names.log);
  c.log->setGeometry(8, 40, 368, 168);
  c.log->setReadOnly(true);
  c.log->setLineWrapMode(QPlainTextEdit::NoWrap);
  c.log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.log->setFocusPolicy(Qt::StrongFocus);
  // A selection left in the log shows only while the log has the focus.
  QPalette unfocused = c.log->palette();
  unfocused.setColor(QPalette::Inactive, QPalette::Highlight, unfocused.color(QPalette::Inactive, QPalette::Base));
  unfocused.setColor(QPalette::Inactive, QPalette::HighlightedText, unfocused.color(QPalette::Inactive, QPalette::Text));
  c.log->setPalette(unfocused);
  c.log->hide();

  c.start = make_button(c.group, names.start, names.start_caption, QRect(56, 216, 80, 32));
  c.start->setEnabled(false);
  c.back = make_button(c.group, names.back, QStringLiteral("返    回"), QRect(148, 216, 80, 32));
  c.back->hide();
  c.clear = make_button(c.group, names.clear, QStringLiteral("全 部 清 空"), QRect(240, 216, 80, 32));
  c.clear->setEnabled(false);
  return c;
}

void show_path(QLineEdit* path_box, const QString& text) {
  path_box->setText(text);
  // setText leaves the cursor at the end, which would scroll a long path so
  // that only its tail shows.
  path_box->setCursorPosition(0);
}

void clear_list(PageControls& c) {
  c.list->clear();
  show_path(c.path, path_hint());
  c.start->setEnabled(false);
  c.clear->setEnabled(false);
  c.browse->setEnabled(true);
}

void show_log_view(PageControls& c) {
  c.list->hide();
  c.log->show();
  c.back->show();
  c.start->hide();
  c.clear->hide();
  c.browse->setEnabled(false);
}

}  // namespace qv::ui
