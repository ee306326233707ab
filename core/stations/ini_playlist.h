#pragma once

#include "ini/ini_file.h"
#include "station_entry.h"

#include <cstdint>
#include <vector>

//! The station keys of an INI playlist section, shared by the program's own playlist, the import
//! of `.ini`/`.pls` files and the INI export.
namespace qv::stations {

//! The section that holds the stations.
inline constexpr QStringView kPlaylistSection = u"playlist";

//! Which keys hold names and links: Title<n>/File<n>, or Name<n>/Link<n>. Tag<n> and Preview<n>
//! belong to both.
enum class KeyScheme : std::uint8_t { None, FileTitle, NameLink };

//! "File1" wins over "Name1"; a section with neither has no entries.
KeyScheme detectKeyScheme(const ini::IniSection& section);

//! Where reading the numbered entries stops.
enum class EntryStopRule : std::uint8_t {
  //! At the first number with neither a name key nor a link key, so an entry written with an
  //! empty name is read back (the program's own playlist).
  NoNameOrLinkKey,
  //! At the first number whose link is missing or empty; an empty name takes the link (import).
  MissingLink,
};

//! The entries numbered 1, 2, ... of `section` in the key scheme detectKeyScheme finds, with the
//! optional `stationuuid<n>` of each.
std::vector<StationEntry> readEntries(const ini::IniSection& section, EntryStopRule stopRule);

//! `value` with every line break written as a blank, so that it stays one INI value.
QString singleLine(QString value);

//! Appends `Path` and then File, Title, Tag and Preview of every entry, numbered from 1. A line
//! break inside a value would end the line early and leave the rest to be read as other keys, so
//! line breaks are written as blanks.
void writeEntries(ini::IniSection& section, const QString& playlistPath, const std::vector<StationEntry>& entries);

//! Appends `stationuuid<n>` for every entry that has one (the program's own playlist only: readers
//! that do not know the key skip it).
void writeStationUuids(ini::IniSection& section, const std::vector<StationEntry>& entries);

}  // namespace qv::stations
