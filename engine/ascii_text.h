#pragma once

#include <string>
#include <string_view>

namespace qv::engine {

//! ASCII lower case, byte by byte: protocol words (schemes, header names, content types, playlist
//! tags) are ASCII, and the C library's tolower would depend on the process's locale.
inline char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = asciiLower(c);
  }
  return lower;
}

//! Whether `text` starts with `prefix`, ASCII letters compared without case.
inline bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (asciiLower(text[i]) != asciiLower(prefix[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace qv::engine
