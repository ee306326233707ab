#pragma once

#include <QString>

#include <cstdint>

namespace qv::directory {

//! One station as the directory describes it. Every text came from strangers: shown as plain
//! text, and only an http/https link is ever played or added (playableLink).
struct DirectoryStation {
  QString uuid;
  QString name;
  QString url;
  //! The stream behind a playlist link, as the directory last resolved it.
  QString urlResolved;
  QString homepage;
  QString favicon;
  //! Comma-separated, as the directory gives them.
  QString tags;
  QString country;
  QString countryCode;
  QString language;
  QString codec;
  int bitrate = 0;
  int votes = 0;
  int clickCount = 0;
  //! The directory's own last check found the stream broken.
  bool broken = false;

  //! The link to play or add: the resolved one, else the given one; empty when neither is http(s).
  QString playableLink() const;
  //! The first of the tags, trimmed; empty when there are none.
  QString firstTag() const;
  //! The favicon when it is an http(s) link, else empty.
  QString logoLink() const;

  bool operator==(const DirectoryStation&) const = default;
};

//! A list the search can be narrowed by.
enum class FacetKind : std::uint8_t { Countries, Languages, Tags };

//! One entry of a facet list: a country (with its code), a language or a tag, and how many
//! stations carry it.
struct Facet {
  QString name;
  //! ISO 3166-1 code of a country; empty for the other kinds.
  QString code;
  int stationCount = 0;

  bool operator==(const Facet&) const = default;
};

//! True for an absolute http or https URL with a host.
bool isWebLink(const QString& link);

}  // namespace qv::directory
