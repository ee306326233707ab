#pragma once

#include "stations/station_entry.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace qv::playlists {

//! The file format "Save Playlist" writes, chosen by the file name's extension.
enum class ExportFormat : std::uint8_t {
  //! ".ini": the program's own keys, UTF-8 with a byte-order mark.
  Ini,
  //! ".pls": with "numberofentries"; UTF-8 without a byte-order mark, as other players expect.
  Pls,
  //! Any other extension: PLS keys without "numberofentries".
  PlsWithoutCount,
};

ExportFormat exportFormatFor(const QString& fileName);

//! Writes `stations` (the active array) into section "playlist" of `fileName`, keeping the other
//! sections of an existing file; `filtered` adds Tag and Preview to PLS and drops Length. Written
//! through a temporary file renamed over the old one; an existing file that cannot be read is
//! left alone. Returns an empty string on success, otherwise one message naming the file.
QString exportPlaylist(const QString& fileName, const std::vector<stations::StationEntry>& stations, bool filtered);

}  // namespace qv::playlists
