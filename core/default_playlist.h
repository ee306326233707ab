#pragma once

#include "stations/station_entry.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace qv {

//! The program's own playlist, `default_playlist.ini` in DataFolder.
QString defaultPlaylistFile();

//! What the start-up read of the program's own playlist found.
struct DefaultPlaylistLoad {
  enum class Status : std::uint8_t {
    //! No file: the list starts empty and nothing else happens.
    Missing,
    Loaded,
    //! The file could not be read. It was renamed aside (keptAsideAs) so that the save at shutdown
    //! writes a fresh file beside it; when the rename failed keptAsideAs is empty and the save
    //! leaves the file alone.
    Unreadable,
  };

  Status status = Status::Missing;
  //! The `Path` key: the playlist file last loaded with "replace".
  QString PlaylistPath;
  std::vector<stations::StationEntry> stations;
  QString keptAsideAs;
  //! For Unreadable: one message for the user that names the file.
  QString error;
};

//! Reads `filePath` (normally defaultPlaylistFile()): section "playlist", its `Path` and its
//! entries in either key scheme, up to the first number with neither a name nor a link key.
DefaultPlaylistLoad loadDefaultPlaylist(const QString& filePath);

//! Writes the whole list and `PlaylistPath` into section "playlist" of `filePath`, keeping every
//! other section of the existing file before it; UTF-8 with a byte-order mark, CR LF, through a
//! temporary file renamed over the old one. An existing file that cannot be read is first renamed
//! aside; when that fails nothing is written. Returns an empty string on success, otherwise why
//! the file was not written.
QString saveDefaultPlaylist(const QString& filePath, const QString& PlaylistPath,
                            const std::vector<stations::StationEntry>& stations);

//! A playlist file larger than this is not read (and so, at start-up, is kept aside).
inline constexpr qint64 kMaxPlaylistFileBytes = qint64{256} << 20;

}  // namespace qv
