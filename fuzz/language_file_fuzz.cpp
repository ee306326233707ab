// The language file reader on arbitrary bytes: a line never holds a line break, and lines written
// back with LF (after a byte-order mark) read back the same.
#include "language_file.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto lines =
      qv::i18n::splitLanguageLines(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  if (!lines) {
    return 0;
  }
  for (const QString& line : *lines) {
    if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) {
      __builtin_trap();
    }
  }
  // Led by a byte-order mark, so a mark kept in the first line's text survives the second read.
  QByteArray again("\xEF\xBB\xBF");
  for (const QString& line : *lines) {
    again += line.toUtf8() + '\n';
  }
  if (qv::i18n::splitLanguageLines(again) != lines) {
    __builtin_trap();
  }
  return 0;
}
