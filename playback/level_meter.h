#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace qv::playback {

//! The texts of the two level labels: `leftch` shows "(" brackets, `RightCh` ")" brackets.
struct LevelBrackets {
  QString left;
  QString right;

  friend bool operator==(const LevelBrackets&, const LevelBrackets&) = default;
};

//! Brackets for one channel's level 0..32768: none below 500, one from 500, two from 10000, three
//! from 25000.
int bracketCount(int level);

//! The level labels for the engine's level word (left level in the low 16 bits, right in the high
//! 16), polled every 50 ms; both labels are empty when there is no level (no stream, not playing).
LevelBrackets levelBrackets(std::optional<std::uint32_t> levelWord);

}  // namespace qv::playback
