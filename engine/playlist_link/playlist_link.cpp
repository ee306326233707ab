#include "playlist_link/playlist_link.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

#include "ascii_text.h"
#include "hls/url_resolver.h"

namespace qv::engine::playlist_link {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// "Audio/X-MPEGURL; charset=utf-8" -> "audio/x-mpegurl"
std::string mediaType(std::string_view contentType) {
  return asciiLower(trim(contentType.substr(0, contentType.find(';'))));
}

std::string_view withoutBom(std::string_view body) {
  if (body.starts_with("\xEF\xBB\xBF")) {
    body.remove_prefix(3);
  }
  return body;
}

// Calls visit(line) for each line until it returns true; lines are trimmed.
template <class Visit>
void forEachLine(std::string_view body, Visit visit) {
  while (!body.empty()) {
    const std::size_t end = body.find_first_of("\r\n");
    if (visit(trim(body.substr(0, end)))) {
      return;
    }
    if (end == std::string_view::npos) {
      return;
    }
    body.remove_prefix(end + 1);
  }
}

bool hasHlsTags(std::string_view body) {
  bool found = false;
  forEachLine(body, [&found](std::string_view line) { return found = line.starts_with("#EXT-X-"); });
  return found;
}

bool looksLikeUrlList(std::string_view body) {
  bool isUrl = false;
  forEachLine(body, [&isUrl](std::string_view line) {
    if (line.empty() || line.starts_with('#')) {
      return false;
    }
    isUrl = startsWithIgnoringCase(line, "http://") || startsWithIgnoringCase(line, "https://");
    return true;
  });
  return isUrl;
}

// Comment lines some servers write before #EXTM3U ('#' but not a tag).
std::string_view withoutLeadingComments(std::string_view body) {
  while (body.starts_with('#') && !body.starts_with("#EXT")) {
    const std::size_t end = body.find_first_of("\r\n");
    body = end == std::string_view::npos ? std::string_view() : trim(body.substr(end));
  }
  return body;
}

std::optional<LinkKind> kindFromContent(std::string_view body) {
  body = trim(withoutBom(body));
  if (startsWithIgnoringCase(body, "[playlist]")) {
    return LinkKind::Pls;
  }
  if (const std::string_view afterComments = withoutLeadingComments(body); afterComments.starts_with("#EXTM3U")) {
    return hasHlsTags(afterComments) ? LinkKind::Hls : LinkKind::M3u;
  }
  if (body.starts_with('<') && body.find("<playlist") != std::string_view::npos &&
      body.find("xspf.org/ns/0") != std::string_view::npos) {
    return LinkKind::Xspf;
  }
  if (looksLikeUrlList(body)) {
    return LinkKind::M3u;
  }
  return std::nullopt;
}

std::optional<LinkKind> kindFromType(const std::string& type) {
  static constexpr std::array<std::string_view, 4> kPls = {"audio/x-scpls", "audio/scpls", "application/pls+xml",
                                                           "audio/x-pls"};
  static constexpr std::array<std::string_view, 4> kM3u = {"audio/x-mpegurl", "audio/mpegurl", "application/x-mpegurl",
                                                           "audio/x-mpequrl"};
  if (std::find(kPls.begin(), kPls.end(), type) != kPls.end()) {
    return LinkKind::Pls;
  }
  if (std::find(kM3u.begin(), kM3u.end(), type) != kM3u.end()) {
    return LinkKind::M3u;
  }
  if (type == "application/xspf+xml") {
    return LinkKind::Xspf;
  }
  return std::nullopt;
}

std::string_view lowestPlsFile(std::string_view body) {
  std::string_view best;
  std::optional<std::uint64_t> bestNumber;
  bool inOtherSection = false;
  forEachLine(body, [&](std::string_view line) {
    if (line.starts_with('[')) {
      inOtherSection = !startsWithIgnoringCase(line, "[playlist]");
      return false;
    }
    const std::size_t equals = line.find('=');
    if (inOtherSection || equals == std::string_view::npos || !startsWithIgnoringCase(line, "file")) {
      return false;
    }
    const std::string_view digits = trim(line.substr(4, equals - 4));
    const std::string_view value = trim(line.substr(equals + 1));
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || value.empty()) {
      return false;
    }
    if (!bestNumber || number < *bestNumber) {
      bestNumber = number;
      best = value;
    }
    return false;
  });
  return best;
}

std::string_view firstM3uEntry(std::string_view body) {
  std::string_view entry;
  forEachLine(body, [&entry](std::string_view line) {
    if (line.empty() || line.starts_with('#')) {
      return false;
    }
    entry = line;
    return true;
  });
  return entry;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// XML character and predefined entity references; anything unknown is kept as written.
std::string decodeXmlText(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
      {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}}};
  std::string out;
  while (!text.empty()) {
    const std::size_t amp = text.find('&');
    out += text.substr(0, amp);
    if (amp == std::string_view::npos) {
      break;
    }
    text.remove_prefix(amp + 1);
    bool decoded = false;
    for (const auto& [name, character] : kNamed) {
      if (text.starts_with(name)) {
        out += character;
        text.remove_prefix(name.size());
        decoded = true;
        break;
      }
    }
    const std::size_t semicolon = text.find(';');
    if (!decoded && text.starts_with('#') && semicolon != std::string_view::npos && semicolon < 12) {
      const bool hex = text.size() > 1 && (text[1] == 'x' || text[1] == 'X');
      const std::string_view digits = text.substr(hex ? 2 : 1, semicolon - (hex ? 2 : 1));
      std::uint32_t codePoint = 0;
      const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), codePoint, hex ? 16 : 10);
      if (!digits.empty() && error == std::errc{} && end == digits.data() + digits.size() && codePoint > 0 &&
          codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF)) {
        appendUtf8(out, codePoint);
        text.remove_prefix(semicolon + 1);
        decoded = true;
      }
    }
    if (!decoded) {
      out += '&';
    }
  }
  return out;
}

// The first non-empty <location> inside a <track>; comments are skipped, CDATA is read.
std::string firstXspfLocation(std::string_view body) {
  bool inTrack = false;
  std::size_t position = 0;
  while (true) {
    const std::size_t open = body.find('<', position);
    if (open == std::string_view::npos) {
      return {};
    }
    const std::string_view rest = body.substr(open);
    if (rest.starts_with("<!--")) {
      const std::size_t close = body.find("-->", open + 4);
      if (close == std::string_view::npos) {
        return {};
      }
      position = close + 3;
      continue;
    }
    const std::size_t close = body.find('>', open);
    if (close == std::string_view::npos) {
      return {};
    }
    std::string_view tag = body.substr(open + 1, close - open - 1);
    position = close + 1;
    const bool closing = tag.starts_with('/');
    const bool selfClosing = tag.ends_with('/');
    if (closing) {
      tag.remove_prefix(1);
    }
    std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
      name.remove_prefix(colon + 1);
    }
    if (name == "track") {
      inTrack = !closing && !selfClosing;
    } else if (name == "location" && inTrack && !closing && !selfClosing) {
      std::string_view content = body.substr(position);
      const std::size_t start = content.find_first_not_of(" \t\r\n");
      std::string text;
      if (start != std::string_view::npos && content.substr(start).starts_with("<![CDATA[")) {
        content.remove_prefix(start + 9);
        text = std::string(content.substr(0, content.find("]]>")));
      } else {
        text = decodeXmlText(content.substr(0, content.find('<')));
      }
      const std::string_view trimmed = trim(text);
      if (!trimmed.empty()) {
        return std::string(trimmed);
      }
    }
  }
}

}  // namespace

const char* describe(LinkError error) {
  switch (error) {
    case LinkError::None:
      return "no error";
    case LinkError::NoStreamUrl:
      return "playlist without a stream URL";
    case LinkError::TooLarge:
      return "playlist without a stream URL in its first 64 KiB";
    case LinkError::InvalidUrl:
      return "playlist entry is not a valid URL";
    case LinkError::UnsupportedScheme:
      return "playlist entry is not an http or https URL";
    case LinkError::DepthExceeded:
      return "playlists nested too deeply";
    case LinkError::Loop:
      return "playlist leads back to itself";
  }
  return "unknown error";
}

bool mayBePlaylist(std::string_view contentType) {
  const std::string type = mediaType(contentType);
  if (kindFromType(type) || type == "application/vnd.apple.mpegurl") {
    return true;
  }
  return !(type.starts_with("audio/") || type.starts_with("video/") || type == "application/ogg");
}

LinkKind detectPlaylist(std::string_view contentType, std::string_view bodyStart) {
  const std::string type = mediaType(contentType);
  if (type == "application/vnd.apple.mpegurl") {
    return LinkKind::Hls;
  }
  if (!mayBePlaylist(contentType)) {
    return LinkKind::NotPlaylist;
  }
  if (const auto byContent = kindFromContent(bodyStart.substr(0, kMaxPlaylistBytes))) {
    return *byContent;
  }
  return kindFromType(type).value_or(LinkKind::NotPlaylist);
}

FirstUrl firstStreamUrl(LinkKind kind, std::string_view body, std::string_view linkUrl, bool bodyComplete) {
  // Only the first kMaxPlaylistBytes are ever read, whatever the body holds beyond them.
  bodyComplete = bodyComplete && body.size() <= kMaxPlaylistBytes;
  body = withoutBom(body.substr(0, kMaxPlaylistBytes));
  if (!bodyComplete) {
    const std::size_t lastBreak = body.find_last_of("\r\n");
    body = lastBreak == std::string_view::npos ? std::string_view{} : body.substr(0, lastBreak + 1);
  }
  std::string entry;
  switch (kind) {
    case LinkKind::Pls:
      entry = std::string(lowestPlsFile(body));
      break;
    case LinkKind::M3u:
      entry = std::string(firstM3uEntry(body));
      break;
    case LinkKind::Xspf:
      entry = firstXspfLocation(body);
      break;
    case LinkKind::NotPlaylist:
    case LinkKind::Hls:
      break;
  }
  if (entry.empty()) {
    return {{}, bodyComplete ? LinkError::NoStreamUrl : LinkError::TooLarge};
  }
  const auto resolved = resolveUrl(linkUrl, entry);
  if (!resolved) {
    return {{}, LinkError::InvalidUrl};
  }
  const std::string scheme = urlScheme(*resolved);
  if (scheme != "http" && scheme != "https") {
    return {{}, LinkError::UnsupportedScheme};
  }
  if (!isFetchableUrl(*resolved)) {
    return {{}, LinkError::InvalidUrl};
  }
  return {*resolved, LinkError::None};
}

}  // namespace qv::engine::playlist_link
