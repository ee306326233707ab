// The ICY demuxer on arbitrary server bytes: the first two bytes choose the metadata interval and
// how the rest is split into pieces, as the network splits it.
#include "icy_demuxer.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const std::size_t metaint = 1 + data[0] % 64;
  const std::size_t piece = 1 + data[1] % 32;
  data += 2;
  size -= 2;
  std::size_t audioBytes = 0;
  qv::engine::IcyDemuxer demuxer(
      metaint,
      [&](const std::uint8_t*, std::size_t n) {
        audioBytes += n;
        return true;
      },
      [](std::string text) { (void)text; });
  for (std::size_t at = 0; at < size; at += piece) {
    demuxer.feed(data + at, size - at < piece ? size - at : piece);
  }
  // Metadata is taken out, never added: no more audio than bytes came in.
  if (audioBytes > size) {
    __builtin_trap();
  }
  return 0;
}
