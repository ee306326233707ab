#include "directory_answer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace qv::directory {
namespace {

// Long enough for any honest value; a longer one is cut rather than laid out for ever.
constexpr qsizetype kMaxTextLength = 400;
constexpr qsizetype kMaxLinkLength = 4096;

QString cleanText(const QJsonValue& value, qsizetype maxLength) {
  if (!value.isString()) {
    return {};
  }
  QString text = value.toString().left(maxLength);
  // Line breaks and other control characters would break a one-line cell, a tab-separated line or
  // an INI value.
  for (QChar& c : text) {
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
      c = QLatin1Char(' ');
    }
  }
  return text.trimmed();
}

int cleanNumber(const QJsonValue& value) {
  double number = 0;
  if (value.isDouble()) {
    number = value.toDouble();
  } else if (value.isString()) {
    bool ok = false;
    number = value.toString().trimmed().toDouble(&ok);
    if (!ok) {
      return 0;
    }
  } else if (value.isBool()) {
    return value.toBool() ? 1 : 0;
  }
  if (!(number > 0)) {  // also NaN
    return 0;
  }
  return number >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(number);
}

DirectoryStation stationFrom(const QJsonObject& object) {
  DirectoryStation station;
  station.uuid = cleanText(object.value(QLatin1String("stationuuid")), 64);
  station.name = cleanText(object.value(QLatin1String("name")), kMaxTextLength);
  station.url = cleanText(object.value(QLatin1String("url")), kMaxLinkLength);
  station.urlResolved = cleanText(object.value(QLatin1String("url_resolved")), kMaxLinkLength);
  station.homepage = cleanText(object.value(QLatin1String("homepage")), kMaxLinkLength);
  station.favicon = cleanText(object.value(QLatin1String("favicon")), kMaxLinkLength);
  station.tags = cleanText(object.value(QLatin1String("tags")), kMaxTextLength);
  station.country = cleanText(object.value(QLatin1String("country")), kMaxTextLength);
  station.countryCode = cleanText(object.value(QLatin1String("countrycode")), 8);
  station.language = cleanText(object.value(QLatin1String("language")), kMaxTextLength);
  station.codec = cleanText(object.value(QLatin1String("codec")), 32);
  station.bitrate = cleanNumber(object.value(QLatin1String("bitrate")));
  station.votes = cleanNumber(object.value(QLatin1String("votes")));
  station.clickCount = cleanNumber(object.value(QLatin1String("clickcount")));
  const QJsonValue lastCheck = object.value(QLatin1String("lastcheckok"));
  station.broken = !lastCheck.isUndefined() && !lastCheck.isNull() && cleanNumber(lastCheck) == 0;
  return station;
}

template <typename Item, typename Read>
Parsed<Item> readArray(const QJsonDocument& document, Read read) {
  Parsed<Item> parsed;
  if (!document.isArray()) {
    parsed.error = QStringLiteral("the answer is not a list");
    return parsed;
  }
  const QJsonArray array = document.array();
  parsed.items.reserve(static_cast<std::size_t>(array.size()));
  for (const QJsonValue& value : array) {
    if (value.isObject()) {  // anything else in the list is skipped
      parsed.items.push_back(read(value.toObject()));
    }
  }
  return parsed;
}

}  // namespace

bool isWebLink(const QString& link) {
  const QUrl url(link, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
         !url.host().isEmpty();
}

QString DirectoryStation::playableLink() const {
  if (isWebLink(urlResolved)) {
    return urlResolved;
  }
  return isWebLink(url) ? url : QString();
}

QString DirectoryStation::firstTag() const {
  return tags.section(QLatin1Char(','), 0, 0).trimmed();
}

QString DirectoryStation::logoLink() const {
  return isWebLink(favicon) ? favicon : QString();
}

JsonAnswer readJson(const QByteArray& bytes) {
  JsonAnswer answer;
  QJsonParseError error{};
  answer.document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError) {
    answer.document = {};
    answer.error = QStringLiteral("the answer is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
  }
  return answer;
}

Parsed<DirectoryStation> stationsFromJson(const QJsonDocument& document) {
  return readArray<DirectoryStation>(document, &stationFrom);
}

Parsed<DirectoryStation> parseStations(const QByteArray& bytes) {
  const JsonAnswer json = readJson(bytes);
  if (!json.error.isEmpty()) {
    return {{}, json.error};
  }
  return stationsFromJson(json.document);
}

Parsed<Facet> facetsFromJson(const QJsonDocument& document, FacetKind kind) {
  Parsed<Facet> parsed = readArray<Facet>(document, [kind](const QJsonObject& object) {
    Facet facet;
    facet.name = cleanText(object.value(QLatin1String("name")), kMaxTextLength);
    if (kind == FacetKind::Countries) {
      facet.code = cleanText(object.value(QLatin1String("iso_3166_1")), 8);
    }
    facet.stationCount = cleanNumber(object.value(QLatin1String("stationcount")));
    return facet;
  });
  std::erase_if(parsed.items, [](const Facet& facet) { return facet.name.isEmpty(); });
  return parsed;
}

Parsed<Facet> parseFacets(const QByteArray& bytes, FacetKind kind) {
  const JsonAnswer json = readJson(bytes);
  if (!json.error.isEmpty()) {
    return {{}, json.error};
  }
  return facetsFromJson(json.document, kind);
}

}  // namespace qv::directory
