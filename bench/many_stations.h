#pragma once
// The 100,000-station list the station list benchmarks work on: names that a search narrows,
// 40 tags with some stations untagged, and a logo address on each.
#include "stations/station_list.h"

#include <vector>

namespace qv::bench {

inline constexpr int kStations = 100'000;

inline std::vector<qv::stations::StationEntry> manyStations() {
  std::vector<qv::stations::StationEntry> stations;
  stations.reserve(kStations);
  for (int n = 0; n < kStations; ++n) {
    stations.push_back(
        {QStringLiteral("Station %1 Radio %2").arg(n).arg(n % 7 ? QStringLiteral("FM") : QStringLiteral("Jazz")),
         QStringLiteral("http://stream%1.example.net:8000/live.mp3").arg(n),
         n % 5 ? QStringLiteral("Genre %1").arg(n % 40) : QString(),
         QStringLiteral("http://logos.example.net/%1.png").arg(n)});
  }
  return stations;
}

}  // namespace qv::bench
