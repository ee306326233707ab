// The station directory's answers (searches and facet lists) on arbitrary bytes; the first byte
// chooses the reader. Whatever is read is one line of bounded length, and a link offered for
// playing is always a web link.
#include "directory_answer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  using namespace qv::directory;
  if (data[0] % 2 == 0) {
    for (const DirectoryStation& station : parseStations(bytes).items) {
      if (station.name.size() > 400 || station.name.contains(QLatin1Char('\n'))) {
        __builtin_trap();
      }
      const QString link = station.playableLink();
      if (!link.isEmpty() && !isWebLink(link)) {
        __builtin_trap();
      }
      (void)station.firstTag();
      (void)station.logoLink();
    }
  } else {
    (void)parseFacets(bytes, static_cast<FacetKind>(data[0] / 2 % 3));
  }
  return 0;
}
