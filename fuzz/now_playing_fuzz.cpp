// The title readers (ICY StreamTitle, Vorbis comments, HLS labels) on arbitrary tag texts: the
// first byte says which tags are present, the rest is split between them at NULs.
#include "now_playing.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) {
    return 0;
  }
  const std::uint8_t present = data[0];
  const QByteArray rest(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  const qsizetype split = rest.indexOf('\x01');
  const QByteArray first = split < 0 ? rest : rest.left(split);
  const QByteArray second = split < 0 ? QByteArray() : rest.mid(split + 1);
  qv::playback::StreamTags tags;
  if (present & 1) {
    tags.icyMetadata = first;
  }
  if (present & 2) {
    tags.oggComments = second.isEmpty() ? first : second;
  }
  if (present & 4) {
    tags.hlsSegmentLabel = first;
  }
  (void)qv::playback::readNowPlaying(tags);
  (void)qv::playback::icyStreamTitle(rest);
  return 0;
}
