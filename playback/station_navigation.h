#pragma once

#include <QString>

#include <optional>

//! Previous and next over the active station array (the filtered stations while a filter is
//! active, all stations otherwise); -1 means no current station.
namespace qv::playback {

//! The number of stations `Play` and the navigation work on.
int activeStationCount(bool filterActive, int allCount, int filteredCount);

//! Whether `current` names a station of the active array; `Play` starts nothing otherwise.
bool isPlayableStation(int current, int count);

//! The station Previous moves to. Looping: from the first (or none) to the last. Not looping: one
//! back, staying on the first. A current station past the end (the list shrank) goes to the last.
int previousStation(int current, int count, bool looping);

//! The station Next moves to. Looping: from the last to the first. Not looping: staying on the
//! last, which restarts it. A current station past the end counts as the last.
int nextStation(int current, int count, bool looping);

//! The previous/next buttons after a play request: dimmed ("_3") at the list's ends, highlighted
//! ("_1") otherwise. Nothing while looping: the buttons are not changed then.
struct NavigationImages {
  QString previous;  // "PngPrevious_1" or "PngPrevious_3"
  QString next;      // "PngNext_1" or "PngNext_3"

  friend bool operator==(const NavigationImages&, const NavigationImages&) = default;
};
std::optional<NavigationImages> navigationImages(int current, int count, bool looping);

}  // namespace qv::playback
