#include "default_playlist.h"

#include "atomic_file.h"
#include "ini/ini_file.h"
#include "paths.h"
#include "stations/ini_playlist.h"
#include "unreadable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {
namespace {

struct ReadFile {
  ini::IniFile file;
  //! Empty when the file was read.
  QString error;
};

ReadFile readIniFile(const QString& filePath) {
  ReadFile result;
  QFile file(filePath);
  if (QFileInfo(filePath).isDir() || !file.open(QIODevice::ReadOnly)) {
    result.error = file.errorString().isEmpty() ? QStringLiteral("it cannot be opened") : file.errorString();
    return result;
  }
  if (file.size() > kMaxPlaylistFileBytes) {
    result.error = QStringLiteral("it is larger than %1 MiB").arg(kMaxPlaylistFileBytes >> 20);
    return result;
  }
  ini::IniFile::Parsed parsed = ini::IniFile::parse(file.readAll());
  if (!parsed.ok()) {
    result.error = parsed.error;
    return result;
  }
  result.file = std::move(parsed.file);
  return result;
}

}  // namespace

QString defaultPlaylistFile() {
  return paths::DataFolder() + QStringLiteral("/default_playlist.ini");
}

DefaultPlaylistLoad loadDefaultPlaylist(const QString& filePath) {
  DefaultPlaylistLoad load;
  if (!QFileInfo::exists(filePath)) {
    return load;
  }
  ReadFile read = readIniFile(filePath);
  if (!read.error.isEmpty()) {
    load.status = DefaultPlaylistLoad::Status::Unreadable;
    load.keptAsideAs = keepUnreadableFileAside(filePath);
    const QString name = QDir::toNativeSeparators(filePath);
    load.error = load.keptAsideAs.isEmpty()
                     ? QStringLiteral(
                           "The station list %1 cannot be read (%2). The list starts empty, and the file "
                           "is left as it is.")
                           .arg(name, read.error)
                     : QStringLiteral(
                           "The station list %1 cannot be read (%2). It was kept as %3, and the list "
                           "starts empty.")
                           .arg(name, read.error, QDir::toNativeSeparators(load.keptAsideAs));
    return load;
  }
  load.status = DefaultPlaylistLoad::Status::Loaded;
  if (const ini::IniSection* section = read.file.section(stations::kPlaylistSection)) {
    load.PlaylistPath = section->value(u"Path").value_or(QString());
    load.stations = stations::readEntries(*section, stations::EntryStopRule::NoNameOrLinkKey);
  }
  return load;
}

QString saveDefaultPlaylist(const QString& filePath, const QString& PlaylistPath,
                            const std::vector<stations::StationEntry>& stations) {
  ini::IniFile contents;
  QString aside;
  if (QFileInfo::exists(filePath)) {
    ReadFile read = readIniFile(filePath);
    if (read.error.isEmpty()) {
      contents = std::move(read.file);
    } else if (aside = keepUnreadableFileAside(filePath); aside.isEmpty()) {
      return QStringLiteral("%1 cannot be read (%2) nor renamed aside, so it is not overwritten")
          .arg(QDir::toNativeSeparators(filePath), read.error);
    }
  }
  contents.removeSection(stations::kPlaylistSection);
  ini::IniSection& section = contents.appendSection(stations::kPlaylistSection.toString());
  stations::writeEntries(section, PlaylistPath, stations);
  stations::writeStationUuids(section, stations);

  const QString error = writeFileAtomically(filePath, contents.serialize());
  if (!error.isEmpty() && !aside.isEmpty()) {
    restoreFileKeptAside(aside, filePath);
  }
  return error;
}

}  // namespace qv
