#include "update_answer.h"

#include "version.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace qv::update {
namespace {

// The charset named by a content type such as "application/json; charset=ISO-8859-1".
QByteArray charsetOf(const QByteArray& contentType) {
  for (const QByteArray& parameter : contentType.split(';')) {
    const QByteArray trimmed = parameter.trimmed();
    if (trimmed.toLower().startsWith("charset=")) {
      QByteArray name = trimmed.mid(8).trimmed();
      if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"')) {
        name = name.mid(1, name.size() - 2);
      }
      return name;
    }
  }
  return {};
}

// The body as UTF-8 for the JSON reader; a charset we cannot decode makes it unreadable.
std::optional<QByteArray> utf8Body(const HttpAnswer& answer) {
  const QByteArray charset = charsetOf(answer.contentType);
  if (charset.isEmpty() || charset.compare("utf-8", Qt::CaseInsensitive) == 0) {
    return answer.body;
  }
  QStringDecoder decoder(charset.constData());
  if (!decoder.isValid()) {
    return std::nullopt;
  }
  const QString text = decoder.decode(answer.body);
  if (decoder.hasError()) {
    return std::nullopt;
  }
  return text.toUtf8();
}

// A member that is missing reads as empty; one of another type makes the answer unusable.
std::optional<QString> optionalString(const QJsonObject& object, const QString& name) {
  const QJsonValue value = object.value(name);
  if (value.isUndefined()) {
    return QString();
  }
  if (!value.isString()) {
    return std::nullopt;
  }
  return value.toString();
}

}  // namespace

QString ProgramVersion() {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(kVersionParts[0])
      .arg(kVersionParts[1])
      .arg(kVersionParts[2])
      .arg(kVersionParts[3]);
}

std::optional<UpdateOffer> readUpdateAnswer(const HttpAnswer& answer, const QString& programVersion) {
  if (!answer.error.isEmpty() || answer.status != 200) {
    return std::nullopt;
  }
  const std::optional<QByteArray> body = utf8Body(answer);
  if (!body) {
    return std::nullopt;
  }
  // The reader refuses nesting deeper than its own limit, so a hostile answer cannot exhaust the stack.
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(*body, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) {
    return std::nullopt;
  }
  const QJsonObject object = document.object();
  const QJsonValue latest = object.value(QStringLiteral("LatestVersion"));
  if (!latest.isString() || latest.toString() == programVersion) {
    return std::nullopt;
  }
  const std::optional<QString> whatNew = optionalString(object, QStringLiteral("WhatNew"));
  const std::optional<QString> link = optionalString(object, QStringLiteral("Link"));
  if (!whatNew || !link) {
    return std::nullopt;
  }
  return UpdateOffer{latest.toString(), *whatNew, *link};
}

QUrl downloadLink(const QString& lnk) {
  const QUrl url(lnk, QUrl::StrictMode);
  if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty()) {
    return {};
  }
  return url;
}

}  // namespace qv::update
