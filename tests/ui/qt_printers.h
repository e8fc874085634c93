#pragma once
// How Google Test prints Qt texts in a failure. Every test file that
// compares Qt texts must include this: printers are templates, and a file
// without it would give the linker a second, unreadable version.
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << "[";
  for (qsizetype i = 0; i < texts.size(); ++i) {
    if (i) *out << ", ";
    PrintTo(texts[i], out);
  }
  *out << "]";
}
