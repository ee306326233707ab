#include "station_navigation.h"

namespace qv::playback {

int activeStationCount(bool filterActive, int allCount, int filteredCount) {
  return filterActive ? filteredCount : allCount;
}

bool isPlayableStation(int current, int count) {
  return current >= 0 && current < count;
}

int previousStation(int current, int count, bool looping) {
  if (count <= 0) {
    return current;
  }
  const int last = count - 1;
  if (current > last) {
    return last;
  }
  if (current <= 0) {
    return looping ? last : current;
  }
  return current - 1;
}

int nextStation(int current, int count, bool looping) {
  if (count <= 0) {
    return current;
  }
  const int last = count - 1;
  if (current < last) {
    return current + 1;
  }
  return looping ? 0 : last;
}

std::optional<NavigationImages> navigationImages(int current, int count, bool looping) {
  if (looping) {
    return std::nullopt;
  }
  return NavigationImages{current == 0 ? QStringLiteral("PngPrevious_3") : QStringLiteral("PngPrevious_1"),
                          current == count - 1 ? QStringLiteral("PngNext_3") : QStringLiteral("PngNext_1")};
}

}  // namespace qv::playback
