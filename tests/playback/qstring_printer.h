#pragma once

#include <QString>

#include <optional>
#include <ostream>

// Readable failure messages for the Qt texts these tests compare.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
