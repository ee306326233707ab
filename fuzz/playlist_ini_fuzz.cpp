// The PLS and INI playlist reader on arbitrary bytes.
#include "reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return checkReader(&qv::playlists::readIni, data, size);
}
