// The title history at 100,000 titles. Targets: a search keystroke answers within 20 ms; adding a
// title costs the GUI thread under 1 ms (the write itself runs on the history's own thread).
#include "history_database.h"
#include "history_recorder.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

namespace hs = qv::history;

constexpr int kTitles = 100000;
constexpr int kShown = 200;  // rows the history window asks for at a time

const char* const kWords[] = {"love",  "night", "summer", "dance", "heart",    "blue",  "fire",   "dream",
                              "rain",  "city",  "road",   "light", "gold",     "river", "shadow", "storm",
                              "star",  "ocean", "wild",   "song",  "midnight", "tears", "sun",    "moon",
                              "angel", "time",  "home",   "run",   "kiss",     "stone", "velvet", "echo"};

QString randomText(std::mt19937& random, int words) {
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
  QStringList parts;
  for (int i = 0; i < words; ++i) {
    QString word = QString::fromLatin1(kWords[pick(random)]);
    word[0] = word[0].toUpper();
    parts.append(word);
  }
  return parts.join(QLatin1Char(' '));
}

struct Fixture {
  Fixture() : path(dir.filePath(QStringLiteral("history.sqlite"))) {
    hs::HistoryDatabase db;
    db.open(path);
    std::mt19937 random(17);
    QDateTime at = QDateTime::currentDateTimeUtc().addDays(-300);
    for (int i = 0; i < kTitles; ++i) {
      at = at.addSecs(240);
      const QString station = QStringLiteral("Station %1").arg(i % 300);
      db.add({0, at, station, QStringLiteral("http://radio.example/") + station,
              randomText(random, 2) + QStringLiteral(" - ") + randomText(random, 3)});
    }
  }
  QTemporaryDir dir;
  QString path;
};

Fixture& fixture() {
  static Fixture instance;
  return instance;
}

// The window's reading connection, one letter more each keystroke, the newest 200 rows shown.
void SearchKeystroke(benchmark::State& state) {
  hs::HistoryDatabase reader;
  reader.openForReading(fixture().path);
  const QString typed[] = {QStringLiteral("m"),
                           QStringLiteral("mi"),
                           QStringLiteral("mid"),
                           QStringLiteral("midn"),
                           QStringLiteral("midnight"),
                           QStringLiteral("midnight r"),
                           QStringLiteral("midnight riv"),
                           QStringLiteral("midnight river")};
  std::size_t keystroke = 0;
  qint64 rows = 0;
  for (auto _ : state) {
    rows += reader.search(typed[keystroke++ % std::size(typed)], kShown).size();
  }
  state.counters["rows"] = static_cast<double>(rows) / static_cast<double>(state.iterations());
}
BENCHMARK(SearchKeystroke)->Unit(benchmark::kMillisecond);

// The newest titles with no search text: what the window shows when it opens.
void NewestTitles(benchmark::State& state) {
  hs::HistoryDatabase reader;
  reader.openForReading(fixture().path);
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.search(QString(), kShown).size());
  }
}
BENCHMARK(NewestTitles)->Unit(benchmark::kMillisecond);

// What the GUI thread spends when the controller reports a new title.
void AddTitleGuiShare(benchmark::State& state) {
  hs::HistoryRecorder recorder(fixture().path, 365);
  std::mt19937 random(3);
  int n = 0;
  for (auto _ : state) {
    recorder.record({0, QDateTime::currentDateTimeUtc(), QStringLiteral("Bench"), QStringLiteral("http://bench/"),
                     randomText(random, 4) + QString::number(++n)});
  }
}
BENCHMARK(AddTitleGuiShare)->Unit(benchmark::kMicrosecond)->Iterations(2000);  // each write still runs

// The write itself, on the history's thread: one short transaction per title.
void AddTitleWrite(benchmark::State& state) {
  hs::HistoryDatabase db;
  db.open(fixture().path);
  std::mt19937 random(5);
  int n = 0;
  for (auto _ : state) {
    db.add({0, QDateTime::currentDateTimeUtc(), QStringLiteral("Bench"), QStringLiteral("http://bench/"),
            randomText(random, 4) + QString::number(++n)});
  }
}
BENCHMARK(AddTitleWrite)->Unit(benchmark::kMicrosecond)->Iterations(1000);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  fixture();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
