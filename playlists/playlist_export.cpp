#include "playlist_export.h"

#include "atomic_file.h"
#include "default_playlist.h"
#include "ini/ini_file.h"
#include "stations/ini_playlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv::playlists {
namespace {

QString existingFileError(const QString& fileName, ini::IniFile& contents) {
  if (!QFileInfo::exists(fileName)) {
    return QString();
  }
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    return file.errorString();
  }
  if (file.size() > kMaxPlaylistFileBytes) {
    return QStringLiteral("it is larger than %1 MiB").arg(kMaxPlaylistFileBytes >> 20);
  }
  ini::IniFile::Parsed parsed = ini::IniFile::parse(file.readAll());
  if (!parsed.ok()) {
    return parsed.error;
  }
  contents = std::move(parsed.file);
  return QString();
}

void appendStations(ini::IniSection& section, ExportFormat format, const std::vector<stations::StationEntry>& list,
                    bool filtered) {
  using stations::singleLine;
  if (format == ExportFormat::Pls) {
    section.append(QStringLiteral("numberofentries"), QString::number(list.size()));
  }
  const bool tagAndPreview = filtered || format == ExportFormat::Ini;
  int n = 0;
  for (const stations::StationEntry& entry : list) {
    const QString number = QString::number(++n);
    section.append(QLatin1String("File") + number, singleLine(entry.Link));
    section.append(QLatin1String("Title") + number, singleLine(entry.Name));
    if (tagAndPreview) {
      section.append(QLatin1String("Tag") + number, singleLine(entry.Tag));
      section.append(QLatin1String("Preview") + number, singleLine(entry.Preview));
    } else {
      section.append(QLatin1String("Length") + number, QStringLiteral("-1"));
    }
  }
}

}  // namespace

ExportFormat exportFormatFor(const QString& fileName) {
  const QString name = QFileInfo(fileName.trimmed()).fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  const QString extension = dot < 0 ? QString() : name.sliced(dot).toLower();
  if (extension == QLatin1String(".ini")) {
    return ExportFormat::Ini;
  }
  return extension == QLatin1String(".pls") ? ExportFormat::Pls : ExportFormat::PlsWithoutCount;
}

QString exportPlaylist(const QString& fileName, const std::vector<stations::StationEntry>& stations, bool filtered) {
  const QString shown = QDir::toNativeSeparators(fileName);
  ini::IniFile contents;
  if (const QString error = existingFileError(fileName, contents); !error.isEmpty()) {
    return QStringLiteral("The playlist %1 is not overwritten: it cannot be read (%2).").arg(shown, error);
  }
  const ExportFormat format = exportFormatFor(fileName);
  contents.removeSection(stations::kPlaylistSection);
  appendStations(contents.appendSection(stations::kPlaylistSection.toString()), format, stations, filtered);

  QByteArray bytes = contents.serialize();
  if (format != ExportFormat::Ini) {
    bytes.remove(0, 3);  // the byte-order mark
  }
  if (const QString error = writeFileAtomically(fileName, bytes); !error.isEmpty()) {
    return QStringLiteral("The playlist ") + error;
  }
  return QString();
}

}  // namespace qv::playlists
