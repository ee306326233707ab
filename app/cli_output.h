#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstdio>

namespace qv::cli {

inline void printError(const QString& message) {
  std::fprintf(stderr, "quorventale-cli: %s\n", message.toUtf8().constData());
}

//! One tab-separated column: a tab or line break inside a value would shift the columns or start
//! a new line, so each becomes a blank.
inline QByteArray column(const QString& value) {
  QString flat = value;
  for (QChar& c : flat) {
    if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
      c = QLatin1Char(' ');
    }
  }
  return flat.toUtf8();
}

}  // namespace qv::cli
