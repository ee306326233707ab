#pragma once

#include "http_get.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace qv::update {

//! A version other than ours, with what the endpoint says about it.
struct UpdateOffer {
  QString LastVersion;
  QString whatnew;
  //! Opened only when it is an https URL (see downloadLink).
  QString lnk;

  bool operator==(const UpdateOffer&) const = default;
};

//! The program's own version, "a.b.c.d" as the update endpoint writes it.
QString ProgramVersion();

//! The offer in an answer of the update endpoint, when there is one: status 200, a JSON object (the
//! body decoded with the charset its content type names, UTF-8 by default) whose string
//! `LatestVersion` differs from `programVersion` in any way. `WhatNew` and `Link` may be missing
//! (empty), but when present they are strings. Anything else offers nothing.
std::optional<UpdateOffer> readUpdateAnswer(const HttpAnswer& answer, const QString& programVersion);

//! `lnk` as a URL to open, only when it is a valid https URL with a host; otherwise empty.
QUrl downloadLink(const QString& lnk);

}  // namespace qv::update
