// The station list panel on screen at 100,000 stations: filling it after a load, and one
// keystroke in the search box, each until the rows are laid out and painted again.
#include "many_stations.h"
#include "station_list/station_list_panel.h"
#include "station_list/stations_list_view.h"
#include "stations/station_list.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

using qv::bench::kStations;
using qv::bench::manyStations;

void settle(qv::ui::StationListPanel& panel) {
  QCoreApplication::processEvents();
  panel.StationsList->viewport()->repaint();
}

void PanelFill(benchmark::State& state) {
  qv::stations::StationList list;
  qv::ui::StationListPanel panel(list, nullptr);
  panel.resize(420, 400);
  panel.show();
  const std::vector<qv::stations::StationEntry> stations = manyStations();
  for (auto _ : state) {
    list.replaceAll(stations);
    settle(panel);
  }
}
BENCHMARK(PanelFill)->Unit(benchmark::kMillisecond);

void PanelSearchKeystroke(benchmark::State& state) {
  qv::stations::StationList list;
  qv::ui::StationListPanel panel(list, nullptr);
  panel.resize(420, 400);
  panel.show();
  list.replaceAll(manyStations());
  settle(panel);
  const QString texts[] = {QStringLiteral("radio j"), QStringLiteral("radio ja")};
  int keystroke = 0;
  for (auto _ : state) {
    panel.SearchEdit->setText(texts[keystroke++ % 2]);
    settle(panel);
  }
}
BENCHMARK(PanelSearchKeystroke)->Unit(benchmark::kMillisecond);

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
