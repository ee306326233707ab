// The XSPF playlist reader on arbitrary bytes.
#include "playlist_readers.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const qv::playlists::ReadResult result = qv::playlists::readXml(bytes);
  // Only web links ever come out, and a failure comes with nothing.
  for (const qv::stations::StationEntry& entry : result.stations) {
    if (!entry.Link.trimmed().startsWith(QLatin1String("http"), Qt::CaseInsensitive) || !result.ok()) {
      __builtin_trap();
    }
  }
  return 0;
}
