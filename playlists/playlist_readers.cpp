#include "playlist_readers.h"

#include "ini/ini_file.h"
#include "ini/text_decoding.h"
#include "stations/ini_playlist.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace qv::playlists {
namespace {

using stations::StationEntry;

bool isWebLink(QStringView link) {
  const QStringView trimmed = link.trimmed();
  return trimmed.startsWith(u"http://", Qt::CaseInsensitive) || trimmed.startsWith(u"https://", Qt::CaseInsensitive);
}

// file:, smb:, data: and the decoder's own protocol names must never reach the stream opener.
ReadResult keepWebLinks(std::vector<StationEntry> stations) {
  ReadResult result;
  const auto kept = std::stable_partition(stations.begin(), stations.end(),
                                          [](const StationEntry& entry) { return isWebLink(entry.Link); });
  result.skippedLinks = static_cast<int>(stations.end() - kept);
  stations.erase(kept, stations.end());
  result.stations = std::move(stations);
  return result;
}

ReadResult failed(QString error) {
  ReadResult result;
  result.error = std::move(error);
  return result;
}

std::vector<QStringView> splitLines(QStringView text) {
  std::vector<QStringView> lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r')) {
      lines.push_back(text.sliced(start, i - start));
      if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
        ++i;
      }
      start = i + 1;
    }
  }
  if (start < text.size()) {
    lines.push_back(text.sliced(start));
  }
  return lines;
}

}  // namespace

ReaderKind readerForFile(const QString& fileName) {
  const QString name = QFileInfo(fileName.trimmed()).fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot < 0) {
    return ReaderKind::Lines;
  }
  const QString extension = name.sliced(dot).toLower();
  struct Choice {
    QLatin1String extension;
    ReaderKind kind;
  };
  static const Choice choices[] = {
      {QLatin1String(".m3u"), ReaderKind::Lines}, {QLatin1String(".m3u8"), ReaderKind::Lines},
      {QLatin1String(".txt"), ReaderKind::Lines}, {QLatin1String(".lnk"), ReaderKind::Lines},
      {QLatin1String(".pls"), ReaderKind::Ini},   {QLatin1String(".ini"), ReaderKind::Ini},
      {QLatin1String(".xspf"), ReaderKind::Xml},  {QLatin1String(".xml"), ReaderKind::Xml},
      {QLatin1String(".zip"), ReaderKind::Zip},
  };
  for (const Choice& choice : choices) {
    if (extension == choice.extension) {
      return choice.kind;
    }
  }
  return ReaderKind::None;
}

ReadResult readLines(const QByteArray& bytes) {
  const ini::DecodedText decoded = ini::decodeText(bytes);
  if (!decoded.ok()) {
    return failed(decoded.error);
  }
  const std::vector<QStringView> lines = splitLines(decoded.text);
  std::vector<StationEntry> stations;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QStringView line = lines[i];
    if (line.contains(u"#EXTINF")) {
      if (i + 1 >= lines.size()) {
        return failed(QStringLiteral("its last #EXTINF line has no link line after it"));
      }
      const qsizetype comma = line.indexOf(QLatin1Char(','));
      const QStringView name = comma < 0 ? line : line.sliced(comma + 1);
      stations.push_back({name.trimmed().toString(), lines[i + 1].toString(), QString(), QString()});
      ++i;
    } else if (line.contains(u"http")) {
      stations.push_back({line.toString(), line.toString(), QString(), QString()});
    }
  }
  return keepWebLinks(std::move(stations));
}

ReadResult readIni(const QByteArray& bytes) {
  ini::IniFile::Parsed parsed = ini::IniFile::parse(bytes);
  if (!parsed.ok()) {
    return failed(parsed.error);
  }
  const ini::IniSection* section = parsed.file.section(stations::kPlaylistSection);
  if (!section) {
    return {};
  }
  return keepWebLinks(stations::readEntries(*section, stations::EntryStopRule::MissingLink));
}

ReadResult readXml(const QByteArray& bytes) {
  QDomDocument document;
  QString message;
  int line = 0;
  int column = 0;
  // Qt's DOM parser reads no external entity and limits entity expansion.
  if (!document.setContent(bytes, &message, &line, &column)) {
    return failed(
        QStringLiteral("it is not well-formed XML (line %1, column %2: %3)").arg(line).arg(column).arg(message));
  }
  std::vector<StationEntry> stations;
  const QDomElement trackList = document.documentElement().firstChildElement(QStringLiteral("trackList"));
  for (QDomNode node = trackList.firstChild(); !node.isNull(); node = node.nextSibling()) {
    const QDomElement track = node.toElement();
    if (track.isNull() || track.tagName() != QLatin1String("track") || !track.hasChildNodes()) {
      continue;
    }
    stations.push_back({track.firstChildElement(QStringLiteral("title")).text(),
                        track.firstChildElement(QStringLiteral("location")).text(), QString(), QString()});
  }
  return keepWebLinks(std::move(stations));
}

ReadResult readPlaylistFile(const QString& path) {
  const ReaderKind kind = readerForFile(path);
  if (kind == ReaderKind::None || kind == ReaderKind::Zip) {
    return {};
  }
  const QString shown = QDir::toNativeSeparators(path);
  QFile file(path);
  if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
    return failed(
        QStringLiteral("The playlist %1 cannot be opened: %2")
            .arg(shown, file.errorString().isEmpty() ? QStringLiteral("it is a folder") : file.errorString()));
  }
  if (file.size() > kMaxImportFileBytes) {
    return failed(QStringLiteral("The playlist %1 is not read: it is larger than %2 MiB.")
                      .arg(shown)
                      .arg(kMaxImportFileBytes >> 20));
  }
  const QByteArray bytes = file.readAll();
  ReadResult result = kind == ReaderKind::Lines ? readLines(bytes)
                      : kind == ReaderKind::Ini ? readIni(bytes)
                                                : readXml(bytes);
  if (!result.ok()) {
    result.error = QStringLiteral("The playlist %1 cannot be read: %2.").arg(shown, result.error);
    result.stations.clear();
  }
  return result;
}

QString skippedLinksMessage(const QString& path, int count) {
  if (count <= 0) {
    return QString();
  }
  const QString shown = QDir::toNativeSeparators(path);
  const QString rule = QStringLiteral("only http and https addresses are imported as stations.");
  return count == 1 ? QStringLiteral("1 link of %1 was left out: %2").arg(shown, rule)
                    : QStringLiteral("%1 links of %2 were left out: %3").arg(QString::number(count), shown, rule);
}

}  // namespace qv::playlists
