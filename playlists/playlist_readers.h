#pragma once

#include "stations/station_entry.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

//! The import readers: plain functions from a playlist file's bytes to stations, with no window.
namespace qv::playlists {

//! Which reader a file name asks for, by the text after the last dot of its last component.
enum class ReaderKind : std::uint8_t {
  //! ".m3u", ".m3u8", ".txt", ".lnk" or no extension.
  Lines,
  //! ".pls", ".ini".
  Ini,
  //! ".xspf", ".xml".
  Xml,
  //! ".zip": unpacked by the archive import, never read as a playlist.
  Zip,
  //! Anything else: nothing is read.
  None,
};

ReaderKind readerForFile(const QString& fileName);

struct ReadResult {
  std::vector<stations::StationEntry> stations;
  //! Links left out because they are not http or https addresses.
  int skippedLinks = 0;
  //! Empty when the file was read; otherwise one message that names the file.
  QString error;

  bool ok() const { return error.isEmpty(); }
};

//! M3U, M3U8 and plain text: an `#EXTINF` line names the station whose link is the next line;
//! any other line holding "http" or a "scheme://" link is a station named by its own text (and
//! left out, counted, when that link is not http or https).
ReadResult readLines(const QByteArray& bytes);
//! PLS and INI: section "playlist", File/Title or Name/Link keys, up to the first missing link.
ReadResult readIni(const QByteArray& bytes);
//! XSPF: the `track` elements of the root's `trackList`, with their `title` and `location`.
ReadResult readXml(const QByteArray& bytes);

//! Reads `path` with the reader its name asks for. A file that cannot be opened, is too large,
//! cannot be decoded or parsed gives an error naming it and no stations. Only http and https
//! links become stations; a link to another playlist is a station like any other and is never
//! opened here.
ReadResult readPlaylistFile(const QString& path);

//! The one message for links that were left out, empty for none.
QString skippedLinksMessage(const QString& path, int count);

//! A playlist file larger than this is not read.
inline constexpr qint64 kMaxImportFileBytes = qint64{64} << 20;
//! The readers' bounds, so a hostile file ends quickly with an error naming the bound it broke:
//! the characters of one line (or of one XSPF title or location),
inline constexpr qsizetype kMaxImportLineChars = 64 * 1024;
//! the entries of one file (stations and left-out links; the player handles lists of 100,000),
inline constexpr std::size_t kMaxImportEntries = 500'000;
//! and how deep XSPF elements nest (a playlist needs four levels).
inline constexpr int kMaxImportXmlDepth = 64;

}  // namespace qv::playlists
