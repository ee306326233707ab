#include "cli_playlists.h"

#include "cli_output.h"

#include "playlist_export.h"
#include "playlist_readers.h"
#include "zip_import.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

using qv::cli::column;
using qv::cli::printError;

namespace playlists = qv::playlists;

constexpr int kUnreadable = 1;
constexpr int kUsage = 2;

struct Read {
  std::vector<qv::stations::StationEntry> stations;
  bool ok = true;
};

Read readOne(const QString& path) {
  const playlists::ReadResult result = playlists::readPlaylistFile(path);
  if (!result.ok()) {
    printError(result.error);
    return {{}, false};
  }
  if (const QString skipped = playlists::skippedLinksMessage(path, result.skippedLinks); !skipped.isEmpty()) {
    printError(skipped);
  }
  return {result.stations, true};
}

// A file the player would import: a playlist, or an archive of playlists read one after another.
Read readAny(const QString& path) {
  switch (playlists::readerForFile(path)) {
    case playlists::ReaderKind::None:
      printError(QStringLiteral("%1 is not a playlist: its extension names no format that is read (m3u, m3u8, "
                                "txt, lnk, pls, ini, xspf, xml, zip)")
                     .arg(QDir::toNativeSeparators(path)));
      return {{}, false};
    case playlists::ReaderKind::Zip:
      break;
    default:
      return readOne(path);
  }
  const QTemporaryDir scratch;
  const QString folder = scratch.path() + QStringLiteral("/temp");
  const playlists::ZipExtraction extraction = playlists::extractZip(path, folder);
  if (!scratch.isValid() || !extraction.error.isEmpty()) {
    printError(extraction.error.isEmpty() ? QStringLiteral("no temporary folder for unpacking") : extraction.error);
    return {{}, false};
  }
  if (const QString skipped = playlists::skippedMembersMessage(path, extraction.skipped); !skipped.isEmpty()) {
    printError(skipped);
  }
  Read all;
  for (const QString& file : extraction.files) {
    Read one = readOne(file);
    if (!one.ok) {
      return one;
    }
    all.stations.insert(all.stations.end(), one.stations.begin(), one.stations.end());
  }
  return all;
}

int importFile(const QString& path) {
  const Read read = readAny(path);
  if (!read.ok) {
    return kUnreadable;
  }
  for (const qv::stations::StationEntry& entry : read.stations) {
    std::printf("%s\t%s\t%s\t%s\n", column(entry.Name).constData(), column(entry.Link).constData(),
                column(entry.Tag).constData(), column(entry.Preview).constData());
  }
  return 0;
}

int convertFile(const QString& in, const QString& out) {
  if (playlists::exportFormatFor(out) == playlists::ExportFormat::PlsWithoutCount) {
    printError(QStringLiteral("%1: the output's extension must be .ini or .pls").arg(QDir::toNativeSeparators(out)));
    return kUsage;
  }
  const Read read = readAny(in);
  if (!read.ok) {
    return kUnreadable;
  }
  if (const QString error = playlists::exportPlaylist(out, read.stations, false); !error.isEmpty()) {
    printError(error);
    return kUnreadable;
  }
  return 0;
}

}  // namespace

int runPlaylistCommand(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "import") == 0) {
    return importFile(QString::fromLocal8Bit(argv[2]));
  }
  if (argc == 4 && std::strcmp(argv[1], "convert") == 0) {
    return convertFile(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  }
  return -1;
}
