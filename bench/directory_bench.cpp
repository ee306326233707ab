// The station directory's answer at 10,000 stations. Target: parsed and shown in the results list
// within 100 ms of CPU.
#include "directory_answer.h"
#include "directory_texts.h"
#include "results_model.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

constexpr int kStations = 10000;

// An answer shaped like the directory's, every field the directory sends.
QByteArray bigAnswer() {
  QByteArray json = "[";
  for (int i = 0; i < kStations; ++i) {
    const QByteArray n = QByteArray::number(i);
    if (i > 0) {
      json += ',';
    }
    json += R"({"changeuuid":"6c4a2a5b-5b0c-4b7e-9c1d-)" + n.rightJustified(12, '0') +
            R"(","stationuuid":"9617a958-0601-11e8-ae97-)" + n.rightJustified(12, '0') +
            R"(","serveruuid":null,"name":"Station number )" + n +
            R"( - the best of jazz, swing and more","url":"http://stream.example.com:8000/live)" + n +
            R"(.mp3","url_resolved":"http://stream.example.com:8000/live)" + n +
            R"(.mp3","homepage":"https://www.example.com/","favicon":"https://www.example.com/favicon.png",)"
            R"("tags":"jazz,swing,smooth jazz,blues","country":"Germany","countrycode":"DE","iso_3166_2":null,)"
            R"("state":"Berlin","language":"german,english","languagecodes":"de,en","votes":)" +
            QByteArray::number(i % 977) +
            R"(,"lastchangetime":"2024-01-01 10:00:00",)"
            R"("lastchangetime_iso8601":"2024-01-01T10:00:00Z","codec":"MP3","bitrate":128,"hls":0,)"
            R"("lastcheckok":1,"lastchecktime":"2024-06-01 10:00:00","clickcount":)" +
            QByteArray::number(i % 3001) +
            R"(,"clicktrend":2,"ssl_error":0,"geo_lat":52.5,"geo_long":13.4,"has_extended_info":false})";
  }
  return json + "]";
}

void ParseAndShowTenThousandStations(benchmark::State& state) {
  const QByteArray answer = bigAnswer();
  qv::ui::ResultsModel model;
  QTableView view;
  view.setModel(&model);
  view.resize(760, 400);
  view.show();
  for (auto _ : state) {
    qv::directory::Parsed<qv::directory::DirectoryStation> parsed = qv::directory::parseStations(answer);
    model.replace(std::move(parsed.items));
    QApplication::processEvents();  // the view lays out and paints its first screen
    benchmark::DoNotOptimize(model.rowCount());
  }
  state.counters["bytes"] = static_cast<double>(answer.size());
}
BENCHMARK(ParseAndShowTenThousandStations)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  qv::i18n::applyBuiltInDirectoryTexts();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
