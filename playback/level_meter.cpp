#include "level_meter.h"

namespace qv::playback {

int bracketCount(int level) {
  if (level >= 25000) {
    return 3;
  }
  if (level >= 10000) {
    return 2;
  }
  return level >= 500 ? 1 : 0;
}

LevelBrackets levelBrackets(std::optional<std::uint32_t> levelWord) {
  if (!levelWord) {
    return {};
  }
  const int left = static_cast<int>(*levelWord & 0xFFFFu);
  const int right = static_cast<int>(*levelWord >> 16);
  return {QString(bracketCount(left), QLatin1Char('(')), QString(bracketCount(right), QLatin1Char(')'))};
}

}  // namespace qv::playback
