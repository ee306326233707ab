#include "hls/url_resolver.h"

#include "ascii_text.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <vector>

namespace qv::engine {
namespace {

// Longer references are not URLs a playlist has any business sending.
constexpr std::size_t kMaxUrlLength = 8192;

struct UrlParts {
  std::optional<std::string_view> scheme;
  std::optional<std::string_view> authority;
  std::string_view path;
  std::optional<std::string_view> query;
  std::optional<std::string_view> fragment;
};

bool isSchemeStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool isSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// The split of RFC 3986 appendix B.
UrlParts splitUrl(std::string_view url) {
  UrlParts parts;
  const std::size_t schemeEnd = url.find_first_of(":/?#");
  if (schemeEnd != std::string_view::npos && schemeEnd > 0 && url[schemeEnd] == ':' && isSchemeStart(url[0]) &&
      std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(schemeEnd), isSchemeChar)) {
    parts.scheme = url.substr(0, schemeEnd);
    url.remove_prefix(schemeEnd + 1);
  }
  if (const std::size_t hash = url.find('#'); hash != std::string_view::npos) {
    parts.fragment = url.substr(hash + 1);
    url = url.substr(0, hash);
  }
  if (const std::size_t question = url.find('?'); question != std::string_view::npos) {
    parts.query = url.substr(question + 1);
    url = url.substr(0, question);
  }
  if (url.starts_with("//")) {
    url.remove_prefix(2);
    const std::size_t slash = url.find('/');
    parts.authority = url.substr(0, slash);
    url = slash == std::string_view::npos ? std::string_view{} : url.substr(slash);
  }
  parts.path = url;
  return parts;
}

// Section 5.2.4, written over a stack of segments so it stays linear in the path's length.
std::string removeDotSegments(std::string_view path) {
  const bool absolute = path.starts_with('/');
  if (absolute) {
    path.remove_prefix(1);
  }
  std::vector<std::string_view> kept;
  bool endsAsDirectory = false;
  while (true) {
    const std::size_t slash = path.find('/');
    const std::string_view segment = path.substr(0, slash);
    const bool last = slash == std::string_view::npos;
    endsAsDirectory = false;
    if (segment == ".") {
      endsAsDirectory = true;
    } else if (segment == "..") {
      if (!kept.empty()) {
        kept.pop_back();
      }
      endsAsDirectory = true;
    } else {
      kept.push_back(segment);
    }
    if (last) {
      break;
    }
    path.remove_prefix(slash + 1);
  }
  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) {
      result += '/';
    }
    result += kept[i];
  }
  if (endsAsDirectory && !kept.empty()) {
    result += '/';
  }
  return result;
}

// Section 5.2.3.
// Built by appending into one reserved string: GCC 12 at -O3 reports a false -Wrestrict overlap
// inside std::string's operator+ here.
std::string mergePaths(const UrlParts& base, std::string_view referencePath) {
  std::string_view directory;
  if (base.authority && base.path.empty()) {
    directory = "/";
  } else if (const std::size_t lastSlash = base.path.rfind('/'); lastSlash != std::string_view::npos) {
    directory = base.path.substr(0, lastSlash + 1);
  }
  std::string merged;
  merged.reserve(directory.size() + referencePath.size());
  merged.append(directory).append(referencePath);
  return merged;
}

bool isAcceptableText(std::string_view text) {
  return text.size() <= kMaxUrlLength && std::none_of(text.begin(), text.end(), [](char c) {
           const auto byte = static_cast<unsigned char>(c);
           return byte < 0x20 || byte == 0x7f;
         });
}

std::string compose(std::string_view scheme, const std::optional<std::string>& authority, std::string_view path,
                    std::optional<std::string_view> query, std::optional<std::string_view> fragment) {
  std::string url = asciiLower(scheme) + ":";
  if (authority) {
    url += "//" + *authority;
  }
  url += path;
  if (query) {
    url += "?";
    url += *query;
  }
  if (fragment) {
    url += "#";
    url += *fragment;
  }
  std::string escaped;
  escaped.reserve(url.size());
  for (const char c : url) {
    if (c == ' ') {
      escaped += "%20";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::optional<std::string> resolveUrl(std::string_view baseUrl, std::string_view reference) {
  baseUrl = trimBlanks(baseUrl);
  reference = trimBlanks(reference);
  if (!isAcceptableText(baseUrl) || !isAcceptableText(reference)) {
    return std::nullopt;
  }
  const UrlParts base = splitUrl(baseUrl);
  if (!base.scheme) {
    return std::nullopt;
  }
  const UrlParts ref = splitUrl(reference);

  std::optional<std::string> authority;
  std::string path;
  std::optional<std::string_view> query;
  std::string_view scheme = *base.scheme;
  if (ref.scheme) {
    scheme = *ref.scheme;
    if (ref.authority) {
      authority = std::string(*ref.authority);
    }
    path = removeDotSegments(ref.path);
    query = ref.query;
  } else {
    if (ref.authority) {
      authority = std::string(*ref.authority);
      path = removeDotSegments(ref.path);
      query = ref.query;
    } else {
      if (base.authority) {
        authority = std::string(*base.authority);
      }
      if (ref.path.empty()) {
        path = std::string(base.path);
        query = ref.query ? ref.query : base.query;
      } else {
        path = removeDotSegments(ref.path.starts_with('/') ? std::string(ref.path) : mergePaths(base, ref.path));
        query = ref.query;
      }
    }
  }
  return compose(scheme, authority, path, query, ref.fragment);
}

std::optional<std::string> urlIdentity(std::string_view url) {
  url = trimBlanks(url);
  if (!isAcceptableText(url)) {
    return std::nullopt;
  }
  const UrlParts parts = splitUrl(url);
  if (!parts.scheme) {
    return std::nullopt;
  }
  std::optional<std::string> authority;
  if (parts.authority) {
    // The host is case-insensitive; the user information before an '@' is not.
    const std::size_t at = parts.authority->rfind('@');
    const std::size_t hostStart = at == std::string_view::npos ? 0 : at + 1;
    authority = std::string(parts.authority->substr(0, hostStart)) + asciiLower(parts.authority->substr(hostStart));
  }
  const std::string path = parts.path.empty() && parts.authority ? std::string("/") : removeDotSegments(parts.path);
  return compose(*parts.scheme, authority, path, parts.query, std::nullopt);
}

std::string urlScheme(std::string_view url) {
  const UrlParts parts = splitUrl(trimBlanks(url));
  return parts.scheme ? asciiLower(*parts.scheme) : std::string();
}

bool isFetchableUrl(std::string_view url) {
  const UrlParts parts = splitUrl(trimBlanks(url));
  if (!parts.scheme || !parts.authority) {
    return false;
  }
  const std::string scheme = asciiLower(*parts.scheme);
  const std::size_t at = parts.authority->rfind('@');
  const std::string_view hostAndPort = parts.authority->substr(at == std::string_view::npos ? 0 : at + 1);
  return (scheme == "http" || scheme == "https") && !hostAndPort.empty() && !hostAndPort.starts_with(':');
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace qv::engine
