#include "ui/job_adapters.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>

namespace qv::ui {

std::string to_job_text(const QString& text) { return text.toUtf8().toStdString(); }

QString from_job_text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int ListBoxItems::count() const { return list_.count(); }

std::string ListBoxItems::item(int position) const {
  const QListWidgetItem* it = position >= 0 && position < list_.count() ? list_.item(position) : nullptr;
  return it ? to_job_text(it->text()) : std::string();
}

void ListBoxItems::clear() { list_.clear(); }

void LogBoxSink::append(std::string_view text) {
  // The jobs end their lines in "\r\n"; a text box wants plain new lines.
  QString lines = from_job_text(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  log_.moveCursor(QTextCursor::End);
  log_.insertPlainText(lines);
  log_.ensureCursorVisible();
}

void PendingEvents::process_pending_events() { QCoreApplication::processEvents(); }

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace qv::ui
