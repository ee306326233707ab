#include "playlist_readers.h"

#include "ini/ini_file.h"
#include "ini/text_decoding.h"
#include "stations/ini_playlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

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

// "file://...", "smb://...": a line that is a link, whatever its scheme.
bool hasLinkScheme(QStringView line) {
  const QStringView trimmed = line.trimmed();
  const qsizetype separator = trimmed.indexOf(u"://");
  if (separator < 1 || !trimmed[0].isLetter() || trimmed[0].unicode() > 0x7F) {
    return false;
  }
  return std::all_of(trimmed.begin(), trimmed.begin() + separator, [](QChar c) {
    return c.unicode() < 0x80 &&
           (c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.'));
  });
}

ReadResult lineTooLong(std::size_t index) {
  return failed(
      QStringLiteral("line %1 is longer than the %2 characters allowed").arg(index + 1).arg(kMaxImportLineChars));
}

ReadResult tooManyEntries() {
  return failed(QStringLiteral("it holds more than the %1 entries allowed").arg(kMaxImportEntries));
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
    if (line.size() > kMaxImportLineChars) {
      return lineTooLong(i);
    }
    if (stations.size() > kMaxImportEntries) {
      return tooManyEntries();
    }
    if (line.contains(u"#EXTINF")) {
      if (i + 1 >= lines.size()) {
        return failed(QStringLiteral("its last #EXTINF line has no link line after it"));
      }
      if (lines[i + 1].size() > kMaxImportLineChars) {
        return lineTooLong(i + 1);
      }
      const qsizetype comma = line.indexOf(QLatin1Char(','));
      const QStringView name = comma < 0 ? line : line.sliced(comma + 1);
      stations.push_back({name.trimmed().toString(), lines[i + 1].toString(), QString(), QString()});
      ++i;
    } else if (line.contains(u"http") || hasLinkScheme(line)) {
      // A bare file:// or smb:// line is a link too: it is counted as left out, not lost unsaid.
      stations.push_back({line.toString(), line.toString(), QString(), QString()});
    }
  }
  if (stations.size() > kMaxImportEntries) {
    return tooManyEntries();
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
  const std::vector<ini::IniSection::Line>& lines = section->lines();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].key.size() + lines[i].value.size() > kMaxImportLineChars) {
      return failed(QStringLiteral("line %1 of its playlist section is longer than the %2 characters allowed")
                        .arg(i + 1)
                        .arg(kMaxImportLineChars));
    }
  }
  std::vector<StationEntry> stations = stations::readEntries(*section, stations::EntryStopRule::MissingLink);
  if (stations.size() > kMaxImportEntries) {
    return tooManyEntries();
  }
  return keepWebLinks(std::move(stations));
}

// One pass of a streaming reader instead of a document tree: its work and memory grow with the
// file's size only, and the depth is checked before anything deeper is looked at.
ReadResult readXml(const QByteArray& bytes) {
  QXmlStreamReader xml(bytes);
  xml.setNamespaceProcessing(false);  // names are matched as written, prefix included
  std::vector<StationEntry> stations;
  // The path to the current element as far as it matters: root, trackList, track, title/location.
  enum class Place : std::uint8_t { Outside, Root, TrackList, Track, Title, Location };
  Place place = Place::Outside;
  int depth = 0;
  bool trackListSeen = false;
  bool titleSeen = false;
  bool locationSeen = false;
  bool trackHasChildren = false;
  int valueDepth = 0;  // depth of the title or location being read
  QString* value = nullptr;
  StationEntry track;
  const auto failedAt = [&xml](const QString& why) {
    return failed(QStringLiteral("%1 (line %2, column %3)").arg(why).arg(xml.lineNumber()).arg(xml.columnNumber()));
  };
  while (!xml.atEnd()) {
    switch (xml.readNext()) {
      case QXmlStreamReader::StartElement: {
        if (++depth > kMaxImportXmlDepth) {
          return failedAt(
              QStringLiteral("its elements are nested deeper than the %1 levels allowed").arg(kMaxImportXmlDepth));
        }
        const QStringView name = xml.qualifiedName();
        if (place == Place::Outside && depth == 1) {
          place = Place::Root;
        } else if (place == Place::Root && depth == 2 && !trackListSeen && name == u"trackList") {
          place = Place::TrackList;
          trackListSeen = true;
        } else if (place == Place::TrackList && depth == 3 && name == u"track") {
          place = Place::Track;
          track = StationEntry();
          titleSeen = locationSeen = trackHasChildren = false;
        } else if (place == Place::Track && depth == 4) {
          trackHasChildren = true;
          if (name == u"title" && !titleSeen) {
            place = Place::Title;
            titleSeen = true;
            value = &track.Name;
            valueDepth = depth;
          } else if (name == u"location" && !locationSeen) {
            place = Place::Location;
            locationSeen = true;
            value = &track.Link;
            valueDepth = depth;
          }
        }
        break;
      }
      case QXmlStreamReader::EndElement:
        if ((place == Place::Title || place == Place::Location) && depth == valueDepth) {
          place = Place::Track;
          value = nullptr;
        } else if (place == Place::Track && depth == 3) {
          place = Place::TrackList;
          if (trackHasChildren) {
            if (stations.size() >= kMaxImportEntries) {
              return tooManyEntries();
            }
            stations.push_back(std::move(track));
          }
        } else if (place == Place::TrackList && depth == 2) {
          place = Place::Root;
        }
        --depth;
        break;
      case QXmlStreamReader::Characters:
        if (place == Place::Track && !xml.isWhitespace()) {
          trackHasChildren = true;
        }
        if (value) {
          if (value->size() + xml.text().size() > kMaxImportLineChars) {
            return failedAt(QStringLiteral("a title or location is longer than the %1 characters allowed")
                                .arg(kMaxImportLineChars));
          }
          value->append(xml.text());
        }
        break;
      case QXmlStreamReader::Comment:
      case QXmlStreamReader::ProcessingInstruction:
        if (place == Place::Track) {
          trackHasChildren = true;
        }
        break;
      default:
        break;
    }
  }
  if (xml.hasError()) {
    // Qt's reader reads no external entity and limits entity expansion.
    return failed(QStringLiteral("it is not well-formed XML (line %1, column %2: %3)")
                      .arg(xml.lineNumber())
                      .arg(xml.columnNumber())
                      .arg(xml.errorString()));
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
