#include "label_links.h"

namespace qv::ui {
namespace {

bool keptAsIs(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         QStringView(u"!$'()*-.@_").contains(QChar(c));
}

}  // namespace

QString encodeQueryValue(const QString& text) {
  QString encoded;
  encoded.reserve(text.size() * 3);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (keptAsIs(c)) {
      encoded.append(QChar(c));
    } else if (c == u' ') {
      encoded.append(QLatin1Char('+'));
    } else {
      // A surrogate pair is one character: its four UTF-8 bytes together.
      const qsizetype length =
          QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
      // A lone surrogate is no character: it goes as the replacement character.
      const QByteArray bytes =
          QChar::isSurrogate(c) && length == 1 ? QByteArray("\xEF\xBF\xBD") : text.mid(i, length).toUtf8();
      i += length - 1;
      for (const char byte : bytes) {
        encoded.append(QStringLiteral("%%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0')).toUpper());
      }
    }
  }
  return encoded;
}

QUrl videoSearchUrl(const QString& title) {
  if (title.isEmpty()) {
    return {};
  }
  return QUrl::fromEncoded(QByteArray("https://") + kVideoSearchHost +
                           "/results?search_query=" + encodeQueryValue(title).toLatin1());
}

std::optional<QUrl> stationHomePage(const QString& icyUrl) {
  const QString text = icyUrl.trimmed();
  if (text.isEmpty()) {
    return std::nullopt;
  }
  QUrl url(text);
  if (url.scheme().isEmpty() && text.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
    url = QUrl(QStringLiteral("http://") + text);
  }
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty()) {
    return std::nullopt;
  }
  return url;
}

}  // namespace qv::ui
