#pragma once
// Shared by the reader targets: run one reader on the fuzzer's bytes and check what it promises.
#include "playlist_readers.h"

#include <cstddef>
#include <cstdint>

inline int checkReader(qv::playlists::ReadResult (*reader)(const QByteArray&), const std::uint8_t* data,
                       std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const qv::playlists::ReadResult result = reader(bytes);
  // Only web links ever come out, and a failure comes with nothing.
  for (const qv::stations::StationEntry& entry : result.stations) {
    if (!entry.Link.trimmed().startsWith(QLatin1String("http"), Qt::CaseInsensitive) || !result.ok()) {
      __builtin_trap();
    }
  }
  return 0;
}
