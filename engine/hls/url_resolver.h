#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qv::engine {

//! Resolves a URI reference found in a playlist against the URL of that playlist, following the
//! reference resolution of RFC 3986 (absolute, scheme-relative, root-relative and relative
//! references, dot segments, queries). The result's scheme is in lower case; spaces become %20.
//! Empty when the base is not absolute, or either text is too long or holds control characters.
std::optional<std::string> resolveUrl(std::string_view baseUrl, std::string_view reference);

//! The form two URLs are compared in to notice that they name the same resource: scheme and host
//! in lower case, fragment removed. Empty when the text is not an absolute URL.
std::optional<std::string> urlIdentity(std::string_view url);

//! The URL's scheme in lower case ("http"), or empty when it has none.
std::string urlScheme(std::string_view url);

//! True for an http or https URL with a host: what a playlist fetched from the network may send
//! us to. Other schemes (file:, ftp:...) would let a remote list reach local files or other
//! services.
bool isFetchableUrl(std::string_view url);

//! `text` without the spaces and tabs at either end (playlist lines and the URLs in them).
std::string_view trimBlanks(std::string_view text);

}  // namespace qv::engine
