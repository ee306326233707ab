#include "hls/playlist_text.h"

#include "hls/url_resolver.h"

#include <charconv>
#include <cmath>

namespace qv::engine::hls {

LineSplitError splitPlaylistLines(std::string_view body, std::size_t maxBytes, std::size_t maxLines,
                                  std::vector<PlaylistLine>& lines) {
  lines.clear();
  if (body.size() > maxBytes) {
    return LineSplitError::TooLarge;
  }
  if (body.starts_with("\xEF\xBB\xBF")) {
    body.remove_prefix(3);
  }
  std::size_t number = 0;
  while (!body.empty()) {
    const std::size_t end = body.find_first_of("\r\n");
    const std::string_view line = trimBlanks(body.substr(0, end));
    ++number;
    if (number > maxLines) {
      lines.clear();
      return LineSplitError::TooManyLines;
    }
    if (!line.empty()) {
      lines.push_back({line, number});
    }
    if (end == std::string_view::npos) {
      break;
    }
    const bool crlf = body[end] == '\r' && end + 1 < body.size() && body[end + 1] == '\n';
    body.remove_prefix(end + (crlf ? 2 : 1));
  }
  return LineSplitError::None;
}

std::size_t headerLineIndex(const std::vector<PlaylistLine>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].text == "#EXTM3U") {
      return i;
    }
    if (!lines[i].text.starts_with('#') || lines[i].text.starts_with("#EXT")) {
      break;
    }
  }
  return lines.size();
}

std::optional<std::vector<std::pair<std::string_view, std::string_view>>> parseAttributeList(std::string_view text) {
  std::vector<std::pair<std::string_view, std::string_view>> list;
  text = trimBlanks(text);
  while (!text.empty()) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0) {
      return std::nullopt;
    }
    const std::string_view name = trimBlanks(text.substr(0, equals));
    text.remove_prefix(equals + 1);
    std::string_view value;
    if (text.starts_with('"')) {
      const std::size_t closing = text.find('"', 1);
      if (closing == std::string_view::npos) {
        return std::nullopt;
      }
      value = text.substr(1, closing - 1);
      text.remove_prefix(closing + 1);
      text = trimBlanks(text);
      if (!text.empty() && text.front() != ',') {
        return std::nullopt;
      }
    } else {
      const std::size_t comma = text.find(',');
      value = trimBlanks(text.substr(0, comma));
      text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma);
    }
    if (!text.empty()) {
      text.remove_prefix(1);  // the comma
    }
    list.emplace_back(name, value);
    text = trimBlanks(text);
  }
  return list;
}

std::optional<std::string_view> findAttribute(const std::vector<std::pair<std::string_view, std::string_view>>& list,
                                              std::string_view name) {
  for (const auto& [key, value] : list) {
    if (key == name) {
      return value;
    }
  }
  return std::nullopt;
}

std::optional<std::uint64_t> parseDecimalInteger(std::string_view text) {
  text = trimBlanks(text);
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<double> parseDecimalFloat(std::string_view text) {
  text = trimBlanks(text);
  if (text.empty() || text.front() == '-' || text.front() == '+') {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string_view> tagValue(std::string_view line, std::string_view tag) {
  if (!line.starts_with(tag)) {
    return std::nullopt;
  }
  line.remove_prefix(tag.size());
  if (line.empty()) {
    return line;
  }
  if (line.front() != ':') {
    return std::nullopt;
  }
  return line.substr(1);
}

}  // namespace qv::engine::hls
