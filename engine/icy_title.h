#pragma once

#include <optional>
#include <string_view>

namespace qv::engine {

//! The value of the StreamTitle field of an ICY metadata block, undecoded; nothing when the block
//! has no such field. A quoted value ends at the quote that is followed by ";" or by the end of the
//! block (trailing NUL padding ignored), so quotes and semicolons inside the title are kept. The
//! view points into `metadata`.
std::optional<std::string_view> icyStreamTitle(std::string_view metadata);

}  // namespace qv::engine
