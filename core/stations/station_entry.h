#pragma once

#include <QString>

namespace qv::stations {

//! One station. Every entry always has all four strings; a missing value is the empty string.
struct StationEntry {
  QString Name;
  //! The stream URL handed to the stream opener.
  QString Link;
  //! One free-text tag, compared without regard to letter case; empty means untagged.
  QString Tag;
  //! Address of the station's logo image; empty means none.
  QString Preview;

  bool operator==(const StationEntry&) const = default;
};

}  // namespace qv::stations
