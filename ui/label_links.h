#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace qv::ui {

//! The host of the video site whose search results the title label opens.
inline constexpr char kVideoSearchHost[] = "www.youtube.com";

//! Encodes a text as a URL query value: A-Z, a-z, 0-9 and ! $ ' ( ) * - . @ _ stay, a space becomes
//! "+", every other character becomes the %XX of each byte of its UTF-8 form (upper-case hex; a
//! surrogate pair is one character). An unpaired surrogate becomes the replacement character.
QString encodeQueryValue(const QString& text);

//! The search-results page for a title; empty for an empty title.
QUrl videoSearchUrl(const QString& title);

//! The station's home page from its "icy-url" header, when it is a web page: http and https only,
//! and a bare "www.example.com" is taken as http. Anything else (empty, another scheme such as
//! file: or a local path) gives nothing: the stream server chooses this text, and it must not be
//! able to make the desktop open a local program or file.
std::optional<QUrl> stationHomePage(const QString& icyUrl);

}  // namespace qv::ui
