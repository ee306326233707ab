#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::engine {

//! Whether `line` starts a server's answer: an HTTP status line or the "ICY" one of old servers.
bool isStatusLine(std::string_view line);

//! The value of header `name` (lower case; matched without regard to case) in a header block whose
//! first line is the status line, without the blanks around it; nullopt when absent.
std::optional<std::string> headerValue(const std::vector<std::string>& lines, std::string_view name);

}  // namespace qv::engine
