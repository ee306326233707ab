#pragma once

#include <cstddef>
#include <string_view>

namespace qv::engine {

//! The most of a title from the network that is shown or printed: a station may send kilobytes.
inline constexpr std::size_t kMaxTitleBytes = 1024;

//! `text` cut to at most `maxBytes` bytes without splitting a UTF-8 sequence (text in a one-byte
//! encoding is cut at the byte).
inline std::string_view cutTitle(std::string_view text, std::size_t maxBytes = kMaxTitleBytes) {
  if (text.size() <= maxBytes) {
    return text;
  }
  std::size_t end = maxBytes;
  // Back to the first byte of the sequence that would be split (continuation bytes are 10xxxxxx).
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
    --end;
  }
  return text.substr(0, end);
}

}  // namespace qv::engine
