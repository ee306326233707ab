// The tray menu at 100,000 stations: opening it with its Stations submenu, until both are shown,
// and a change of the list while the tray icon is set up (which makes no menu entries).
#include "many_stations.h"
#include "stations/station_list.h"
#include "tray.h"

#include <QApplication>
#include <QMenu>

#include <benchmark/benchmark.h>

namespace {

using qv::bench::manyStations;

void TrayMenuOpenWithStations(benchmark::State& state) {
  qv::stations::StationList list;
  list.replaceAll(manyStations());
  list.CurrentStation = 50'000;
  qv::ui::TrayIcon tray;
  tray.setStationList(&list);
  for (auto _ : state) {
    tray.TrayPopup->popup(QPoint(0, 0));
    tray.Stations1->popup(QPoint(200, 0));
    QCoreApplication::processEvents();
    tray.Stations1->close();
    tray.TrayPopup->close();
    tray.stationsChanged();  // the next opening makes the submenu again
  }
}
BENCHMARK(TrayMenuOpenWithStations)->Unit(benchmark::kMillisecond);

void StationListChangedWithTray(benchmark::State& state) {
  qv::stations::StationList list;
  qv::ui::TrayIcon tray;
  tray.setStationList(&list);
  QObject::connect(&list, &qv::stations::StationList::rebuilt, &tray, &qv::ui::TrayIcon::stationsChanged);
  const std::vector<qv::stations::StationEntry> stations = manyStations();
  for (auto _ : state) {
    list.replaceAll(stations);
  }
}
BENCHMARK(StationListChangedWithTray)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
