#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// Text-level helpers shared by the HLS playlist parsers.
namespace qv::engine::hls {

//! One line of a playlist, without its line ending and surrounding blanks.
struct PlaylistLine {
  std::string_view text;
  std::size_t number = 0;  //!< 1-based, for error messages
};

enum class LineSplitError { None, TooLarge, TooManyLines };

//! Splits a playlist body into non-empty lines. A leading UTF-8 byte-order mark is skipped; LF, CR
//! LF and lone CR end a line. Refuses a body over maxBytes or with more than maxLines lines
//! before anything else is looked at, so memory stays bounded.
LineSplitError splitPlaylistLines(std::string_view body, std::size_t maxBytes, std::size_t maxLines,
                                  std::vector<PlaylistLine>& lines);

//! Where the #EXTM3U line is: the first line, or after comment lines ('#' but not a tag) that
//! some servers put before it; lines.size() when there is none.
std::size_t headerLineIndex(const std::vector<PlaylistLine>& lines);

//! Splits "NAME=value,NAME="quoted, value"" into pairs; quotes are removed from quoted values.
//! Empty when the list is malformed (an unterminated quote, a missing '=').
std::optional<std::vector<std::pair<std::string_view, std::string_view>>> parseAttributeList(std::string_view text);

//! The value of the attribute called name, or empty.
std::optional<std::string_view> findAttribute(const std::vector<std::pair<std::string_view, std::string_view>>& list,
                                              std::string_view name);

std::optional<std::uint64_t> parseDecimalInteger(std::string_view text);

//! A finite, non-negative decimal number.
std::optional<double> parseDecimalFloat(std::string_view text);

//! When line is "tag" or starts with "tag:", the text after the colon (empty for a bare tag).
std::optional<std::string_view> tagValue(std::string_view line, std::string_view tag);

}  // namespace qv::engine::hls
