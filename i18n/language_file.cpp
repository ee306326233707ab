#include "language_file.h"

#include <QFile>
#include <QLoggingCategory>
#include <QStringDecoder>

Q_LOGGING_CATEGORY(lcLanguage, "qv.language", QtInfoMsg)

namespace qv::i18n {

std::optional<QStringList> splitLanguageLines(const QByteArray& bytes) {
  // Stateless: a sequence cut off at the end is an error, not something kept for a next call. A
  // byte-order mark at the start is skipped.
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  if (decoder.hasError()) {
    return std::nullopt;
  }
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
      continue;
    }
    lines.append(text.mid(start, i - start));
    if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
      ++i;
    }
    start = i + 1;
  }
  if (start < text.size()) {
    lines.append(text.mid(start));
  }
  return lines;
}

std::optional<QStringList> readLanguageFile(const QString& path) {
  QFile file(path);
  if (!file.exists()) {
    // The usual case of a language without a file (or no language chosen): English, silently.
    return std::nullopt;
  }
  if (!file.open(QIODevice::ReadOnly)) {
    qCInfo(lcLanguage).noquote() << "language file" << path << "ignored: it cannot be read:" << file.errorString();
    return std::nullopt;
  }
  const QByteArray bytes = file.readAll();
  file.close();
  std::optional<QStringList> lines = splitLanguageLines(bytes);
  if (!lines) {
    qCInfo(lcLanguage).noquote() << "language file" << path << "ignored: it is not valid UTF-8";
    return std::nullopt;
  }
  if (lines->size() < kLanguageFileMinLines) {
    qCInfo(lcLanguage).noquote() << "language file" << path << "ignored: it has" << lines->size() << "lines, fewer than"
                                 << kLanguageFileMinLines;
    return std::nullopt;
  }
  return lines;
}

}  // namespace qv::i18n
