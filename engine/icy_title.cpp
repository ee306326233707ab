#include "icy_title.h"

namespace qv::engine {
namespace {

struct IcyField {
  std::string_view name;
  std::string_view value;
};

bool isAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isAsciiSpace(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && isAsciiSpace(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

// Reads the field that starts at `pos` and moves `pos` past its ";".
IcyField nextIcyField(std::string_view block, std::size_t& pos) {
  constexpr auto npos = std::string_view::npos;
  IcyField field;
  const std::size_t equals = block.find('=', pos);
  const std::size_t nameEnd = block.find(';', pos);
  if (equals == npos || (nameEnd != npos && nameEnd < equals)) {
    // A field without a value.
    const std::size_t end = nameEnd == npos ? block.size() : nameEnd;
    field.name = block.substr(pos, end - pos);
    pos = end + 1;
    return field;
  }
  field.name = block.substr(pos, equals - pos);
  const std::size_t valueStart = equals + 1;
  if (valueStart < block.size() && block[valueStart] == '\'') {
    // The closing quote is the first one that ends the field.
    for (std::size_t quote = block.find('\'', valueStart + 1); quote != npos; quote = block.find('\'', quote + 1)) {
      if (quote + 1 == block.size() || block[quote + 1] == ';') {
        field.value = block.substr(valueStart + 1, quote - valueStart - 1);
        pos = quote + 2;
        return field;
      }
    }
    // No closing quote: the rest of the block is the value.
    field.value = block.substr(valueStart + 1);
    pos = block.size();
    return field;
  }
  const std::size_t semicolon = block.find(';', valueStart);
  const std::size_t end = semicolon == npos ? block.size() : semicolon;
  field.value = block.substr(valueStart, end - valueStart);
  pos = end + 1;
  return field;
}

}  // namespace

std::optional<std::string_view> icyStreamTitle(std::string_view metadata) {
  std::string_view block = metadata;
  while (!block.empty() && block.back() == '\0') {
    block.remove_suffix(1);
  }
  std::size_t pos = 0;
  while (pos < block.size()) {
    const IcyField field = nextIcyField(block, pos);
    if (trimmed(field.name) == "StreamTitle") {
      return field.value;
    }
  }
  return std::nullopt;
}

}  // namespace qv::engine
