// Playlist files at 100,000 entries. Targets: an M3U imported and merged into a list of 100,000
// stations within 1 s of CPU; converting it to PLS (what `quorventale-cli convert` does) within 1 s.
#include "many_stations.h"
#include "playlist_export.h"
#include "playlist_opener.h"
#include "playlist_readers.h"
#include "recent_playlists.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using qv::bench::kStations;
using qv::bench::manyStations;

struct Fixture {
  Fixture() : m3u(dir.filePath(QStringLiteral("big.m3u"))) {
    QByteArray text("#EXTM3U\r\n");
    for (const qv::stations::StationEntry& entry : manyStations()) {
      text += "#EXTINF:-1," + entry.Name.toUtf8() + "\r\n" + entry.Link.toUtf8() + "\r\n";
    }
    QFile out(m3u);
    if (out.open(QIODevice::WriteOnly)) {
      out.write(text);
    }
  }
  QTemporaryDir dir;
  QString m3u;
};

Fixture& fixture() {
  static Fixture instance;
  return instance;
}

void ImportAndMerge(benchmark::State& state) {
  const QString file = fixture().m3u;
  state.counters["file_MB"] = static_cast<double>(QFileInfo(file).size()) / (1 << 20);
  const std::vector<qv::stations::StationEntry> current = manyStations();
  qv::stations::StationList list;
  qv::playlists::RecentPlaylists recent;
  QString playlistPath;
  bool unsaved = false;
  qv::playlists::PlaylistOpener opener({list, recent, playlistPath, unsaved},
                                       {[] {},
                                        [] { return qv::playlists::MergeAnswer::Add; },
                                        [] { return qv::playlists::SaveAnswer::No; },
                                        [] {},
                                        [](const QString&) {},
                                        {}});
  for (auto _ : state) {
    state.PauseTiming();
    list.replaceAll(current);
    state.ResumeTiming();
    opener.OpenPL(file);
    benchmark::DoNotOptimize(list.activeCount());
  }
  if (list.PLAY_ARRAY().size() != 2 * static_cast<std::size_t>(kStations)) {
    state.SkipWithError("the merged list does not hold both lists");
  }
}
BENCHMARK(ImportAndMerge)->Unit(benchmark::kMillisecond);

void ConvertToPls(benchmark::State& state) {
  const QString out = fixture().dir.filePath(QStringLiteral("big.pls"));
  for (auto _ : state) {
    const qv::playlists::ReadResult read = qv::playlists::readPlaylistFile(fixture().m3u);
    benchmark::DoNotOptimize(qv::playlists::exportPlaylist(out, read.stations, false));
  }
}
BENCHMARK(ConvertToPls)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
