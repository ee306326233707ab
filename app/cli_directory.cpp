#include "cli_directory.h"

#include "cli_output.h"

#include "directory_service.h"
#include "playlist_readers.h"
#include "station_check.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

namespace {

using qv::cli::column;
using qv::cli::printError;

namespace directory = qv::directory;

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr char kUsageText[] =
    "Usage: quorventale-cli search TERM [--tag T] [--country CC] [--limit N]\n"
    "       quorventale-cli check FILE\n";

std::atomic<bool> g_stop{false};

void onStop(int) {
  g_stop = true;
}

int search(int argc, char** argv) {
  directory::SearchQuery query;
  query.name = QString::fromLocal8Bit(argv[2]);
  query.limit = 20;
  for (int i = 3; i < argc; i += 2) {
    if (i + 1 >= argc) {
      std::fputs(kUsageText, stderr);
      return kUsage;
    }
    const QString value = QString::fromLocal8Bit(argv[i + 1]);
    bool ok = true;
    if (std::strcmp(argv[i], "--tag") == 0) {
      query.tag = value;
    } else if (std::strcmp(argv[i], "--country") == 0) {
      query.countryCode = value;
    } else if (std::strcmp(argv[i], "--limit") == 0) {
      query.limit = value.toInt(&ok);
      ok = ok && query.limit >= 1 && query.limit <= 1000;
    } else {
      ok = false;
    }
    if (!ok) {
      std::fputs(kUsageText, stderr);
      return kUsage;
    }
  }
  directory::DirectoryService service(directory::DirectoryService::defaultOptions());
  const directory::Parsed<directory::DirectoryStation> found = service.search(query, g_stop);
  if (!found.ok()) {
    printError(QStringLiteral("the station directory could not be searched: %1").arg(found.error));
    return kFailed;
  }
  for (const directory::DirectoryStation& station : found.items) {
    const QString link = station.playableLink();
    if (link.isEmpty()) {
      continue;  // nothing the player would play
    }
    std::printf("%s\t%s\t%s\t%s\t%s\t%d\n", column(station.name).constData(), column(link).constData(),
                column(station.countryCode).constData(), column(station.tags).constData(),
                column(station.codec).constData(), station.bitrate);
  }
  return 0;
}

int check(const char* file) {
  const QString path = QString::fromLocal8Bit(file);
  const qv::playlists::ReadResult read = qv::playlists::readPlaylistFile(path);
  if (!read.ok()) {
    printError(read.error);
    return kFailed;
  }
  directory::DirectoryService service(directory::DirectoryService::defaultOptions());
  directory::CheckOptions options;
  options.directory = &service;
  std::mutex mutex;
  std::map<int, directory::CheckedStation> results;  // printed in the list's order at the end
  const directory::CheckSummary summary =
      directory::checkStations(read.stations, options, g_stop, [&](const directory::CheckedStation& checked) {
        std::lock_guard lock(mutex);
        results[checked.index] = checked;
      });
  for (const auto& [index, checked] : results) {
    QByteArray line = column(directory::verdictWords(checked.probe)) + '\t' + column(checked.station.Name) + '\t' +
                      column(checked.station.Link);
    if (checked.replacement) {
      line += '\t' + column(checked.replacement->link);
    }
    std::printf("%s\n", line.constData());
  }
  if (summary.cancelled) {
    printError(QStringLiteral("the check was stopped"));
    return kFailed;
  }
  if (summary.networkDown) {
    printError(QStringLiteral("the stations could not be checked: no server could be reached, the network seems down"));
    return kFailed;
  }
  std::fprintf(stderr, "%d alive, %d dead, %d moved\n", summary.alive, summary.dead, summary.moved);
  return 0;
}

}  // namespace

int runDirectoryCommand(int argc, char** argv) {
  const bool isSearch = argc >= 3 && std::strcmp(argv[1], "search") == 0;
  const bool isCheck = argc >= 2 && std::strcmp(argv[1], "check") == 0;
  if (!isSearch && !isCheck) {
    return -1;
  }
  if (isCheck && argc != 3) {
    std::fputs(kUsageText, stderr);
    return kUsage;
  }
  // The directory's discovery uses Qt's DNS lookups, which need an application object.
  QCoreApplication application(argc, argv);
  std::signal(SIGINT, &onStop);
  std::signal(SIGTERM, &onStop);
  return isSearch ? search(argc, argv) : check(argv[2]);
}
