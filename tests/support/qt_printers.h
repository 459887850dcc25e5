#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Readable Qt texts in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* os) {
  *os << '{';
  for (const QString& text : texts) *os << '"' << text.toStdString() << "\" ";
  *os << '}';
}
