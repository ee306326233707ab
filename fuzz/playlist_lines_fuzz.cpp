// The M3U, M3U8 and plain-text playlist reader on arbitrary bytes.
#include "reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return checkReader(&qv::playlists::readLines, data, size);
}
