// The check of a list of 1,000 stations on the local stream server, the local directory stand-in
// asked for every dead one. Target: within 3 minutes, with at most 8 connections open at once.
//
//   qv_station_check_bench [STATIONS]
//
// Prints the wall time, the CPU time and the most probes that ran at once (each probe holds one
// connection at a time), and the verdicts.
#include "directory_service.h"
#include "station_check.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

using namespace qv::directory;

// Starts one of the test servers; the first line it prints names its port(s).
QStringList startServer(QProcess& process, const QStringList& arguments) {
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(QStringLiteral(QV_PYTHON3_EXECUTABLE), arguments);
  if (!process.waitForStarted(5000)) {
    return {};
  }
  for (int i = 0; i < 100 && !process.canReadLine(); ++i) {
    process.waitForReadyRead(100);
  }
  return QString::fromUtf8(process.readLine()).trimmed().split(QLatin1Char(' '));
}

void stopServer(QProcess& process) {
  process.closeWriteChannel();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(2000);
  }
}

double cpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  QProcess streams;
  const QStringList streamPort =
      startServer(streams, {QStringLiteral(QV_STREAM_SERVER_SCRIPT), QStringLiteral("--root"),
                            QStringLiteral(QV_FIXTURES_DIR), QStringLiteral("--port"), QStringLiteral("0")});
  if (streamPort.size() != 2) {
    std::fputs("the stream server did not start\n", stderr);
    return 1;
  }
  const QString base = QStringLiteral("http://127.0.0.1:") + streamPort[1];
  QProcess directory;
  const QStringList ports =
      startServer(directory, {QStringLiteral(QV_DIRECTORY_SERVER_SCRIPT), QStringLiteral("--stream-base"), base});
  if (ports.size() != 5) {
    std::fputs("the directory server did not start\n", stderr);
    stopServer(streams);
    return 1;
  }

  // 80 % alive (live ICY, files, HLS), 15 % dead of three kinds, 4 % moved, 1 % stalling.
  std::vector<qv::stations::StationEntry> stations;
  for (int i = 0; i < count; ++i) {
    const QString n = QString::number(i);
    QString path;
    switch (i % 100) {
      case 0:
        path = QStringLiteral("/stall/sine1k.mp3?after=0&pause=30");
        break;
      case 1:
      case 2:
      case 3:
      case 4:
        path = QStringLiteral("/moved/sine1k.mp3?name=") + n;
        break;
      case 5:
      case 6:
      case 7:
      case 8:
      case 9:
        path = QStringLiteral("/status/404?n=") + n;
        break;
      case 10:
      case 11:
      case 12:
      case 13:
      case 14:
        path = QStringLiteral("/file/not_audio.bin?type=text/html&n=") + n;
        break;
      case 15:
      case 16:
      case 17:
      case 18:
      case 19:
        path = QStringLiteral("/file/sine1k.ogg?n=") + n;
        break;
      case 20:
      case 21:
      case 22:
      case 23:
      case 24:
        path = QStringLiteral("/hls/vod/hls_mp3_ts.m3u8?n=") + n;
        break;
      default:
        path = QStringLiteral("/icy/sine1k.mp3?name=") + n;
        break;
    }
    stations.push_back({QStringLiteral("Station ") + n, base + path, {}, {}});
  }
  for (int i = 0; i < count / 100; ++i) {  // 1 % refused
    stations[static_cast<std::size_t>(i * 100 + 99)].Link =
        QStringLiteral("http://127.0.0.1:") + ports[4] + QStringLiteral("/x");
  }

  QTemporaryDir cache;
  DirectoryService::Options options;
  options.servers = {QStringLiteral("http://127.0.0.1:") + ports[1]};
  options.cacheFolder = cache.path();
  options.clickFile = cache.filePath(QStringLiteral("clicks.txt"));
  DirectoryService service(options);

  std::atomic<int> running{0};
  std::atomic<int> most{0};
  CheckOptions check;
  check.directory = &service;
  check.probe = [&](const QString& link, const std::atomic<bool>& cancel) {
    const int now = ++running;
    for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    ProbeResult result = probeStation(link, cancel);
    --running;
    return result;
  };
  const std::atomic<bool> never{false};
  const double cpuBefore = cpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const CheckSummary summary = checkStations(stations, check, never, [](const CheckedStation&) {});
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "%d stations: %.1f s wall, %.2f s CPU, at most %d probes at once; %d alive, %d dead, %d moved, %d "
      "unchecked\n",
      count, wall, cpuSeconds() - cpuBefore, most.load(), summary.alive, summary.dead, summary.moved,
      summary.unchecked);
  stopServer(directory);
  stopServer(streams);
  return 0;
}
