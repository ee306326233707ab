// The station list at 100,000 stations. Targets: load default_playlist.ini and rebuild within
// 300 ms, one filtering keystroke within 20 ms, save within 300 ms.
#include "default_playlist.h"
#include "many_stations.h"
#include "stations/station_list.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using qv::bench::kStations;
using qv::bench::manyStations;

struct Fixture {
  Fixture() : file(dir.filePath(QStringLiteral("default_playlist.ini"))) {
    qv::saveDefaultPlaylist(file, QStringLiteral("/music/big.pls"), manyStations());
  }
  QTemporaryDir dir;
  QString file;
};

Fixture& fixture() {
  static Fixture instance;
  return instance;
}

void LoadAndRebuild(benchmark::State& state) {
  const QString file = fixture().file;
  state.counters["file_MB"] = static_cast<double>(QFileInfo(file).size()) / (1 << 20);
  for (auto _ : state) {
    qv::DefaultPlaylistLoad load = qv::loadDefaultPlaylist(file);
    qv::stations::StationList list;
    list.replaceAll(std::move(load.stations));
    benchmark::DoNotOptimize(list.tags().size());
    state.PauseTiming();  // freeing the list is not part of the start-up
    list.replaceAll({});
    state.ResumeTiming();
  }
}
BENCHMARK(LoadAndRebuild)->Unit(benchmark::kMillisecond);

void FilterKeystroke(benchmark::State& state) {
  qv::stations::StationList list;
  list.replaceAll(manyStations());
  const QString texts[] = {QStringLiteral("radio j"), QStringLiteral("radio ja")};
  int keystroke = 0;
  for (auto _ : state) {
    list.FilterPL(texts[keystroke++ % 2]);
    benchmark::DoNotOptimize(list.activeCount());
  }
}
BENCHMARK(FilterKeystroke)->Unit(benchmark::kMillisecond);

void Save(benchmark::State& state) {
  const std::vector<qv::stations::StationEntry> stations = manyStations();
  const QString file = fixture().dir.filePath(QStringLiteral("saved.ini"));
  for (auto _ : state) {
    benchmark::DoNotOptimize(qv::saveDefaultPlaylist(file, QStringLiteral("/music/big.pls"), stations));
  }
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
