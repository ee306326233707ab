#include "header_block.h"

#include "ascii_text.h"

namespace qv::engine {

bool isStatusLine(std::string_view line) {
  return line.starts_with("HTTP/") || line.starts_with("ICY ");
}

std::optional<std::string> headerValue(const std::vector<std::string>& lines, std::string_view name) {
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.size() > name.size() && line[name.size()] == ':' && asciiLower(line.substr(0, name.size())) == name) {
      const std::string_view value = line.substr(name.size() + 1);
      const auto first = value.find_first_not_of(" \t");
      const auto last = value.find_last_not_of(" \t");
      return first == std::string_view::npos ? std::string() : std::string(value.substr(first, last - first + 1));
    }
  }
  return std::nullopt;
}

}  // namespace qv::engine
