#pragma once

#include <QString>

namespace qv::stations {

//! One station. Every entry always has all its strings; a missing value is the empty string.
struct StationEntry {
  QString Name;
  //! The stream URL handed to the stream opener.
  QString Link;
  //! One free-text tag, compared without regard to letter case; empty means untagged.
  QString Tag;
  //! Address of the station's logo image; empty means none.
  QString Preview;
  //! The station's id in the community directory when it was added from there (its repair asks
  //! the directory by this id); empty otherwise.
  QString StationUuid{};

  bool operator==(const StationEntry&) const = default;
};

}  // namespace qv::stations
