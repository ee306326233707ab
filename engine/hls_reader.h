#pragma once

#include "byte_ring.h"
#include "byte_source.h"
#include "engine_types.h"
#include "net_reader.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qv::engine {

namespace hls {
struct HlsLimits;
}  // namespace hls

//! The network thread of an HLS stream: from a master or media playlist already fetched, it picks
//! the audio variant, reloads a live playlist at its target duration and fetches each segment
//! once, in order, writing them one after the other into the stream's ByteRing, where the decoder
//! reads them as one continuous stream. Before a segment's first byte is written, `segmentStart`
//! gets its position in that stream and its EXTINF label, so the segment can be told when its audio
//! is heard. A failed segment is retried a bounded number of times, then skipped; too many lost in
//! a row end the stream with SegmentsUnavailable. The end of a VOD playlist finishes the ring.
class HlsReader final : public ByteSource {
 public:
  struct SegmentStart {
    std::uint64_t byteOffset;  //!< of the segment's first byte in the stream of segments
    std::string label;         //!< the EXTINF text after the colon
  };
  using SegmentSink = std::function<void(SegmentStart start)>;

  HlsReader(NetOptions options, std::string playlistUrl, std::string playlistBody, ByteRing& ring,
            SegmentSink segmentStart);
  ~HlsReader() override;
  HlsReader(const HlsReader&) = delete;
  HlsReader& operator=(const HlsReader&) = delete;

  // endError() is Ok after the end of a VOD playlist; bodyBytes() counts the segment bytes written.

  //! Playlist reloads that may fail in a row before a live stream is given up.
  static constexpr int kMaxFailedReloads = 3;
  static constexpr std::size_t kMaxSegmentBytes = 32 * 1024 * 1024;

 private:
  struct Session;

  ErrorCode produce() override;
  //! From a master playlist, the media playlist of the audio variant fetched into m_body.
  ErrorCode chooseVariant(const hls::HlsLimits& limits);
  //! Parses m_body and queues its new segments. The returned error, if any, ends the stream; so
  //! does every returned value of the steps below (Ok: stopped or done).
  std::optional<ErrorCode> takePlaylist(Session& session, const hls::HlsLimits& limits);
  //! Fetches the first queued segment (with its fMP4 header when the decoder needs it) into the
  //! ring, or retries, skips or gives up on it.
  std::optional<ErrorCode> fetchNextSegment(Session& session);
  std::optional<ErrorCode> onSegmentFailure(Session& session);
  //! Waits out the live playlist's reload delay, then fetches it into m_body.
  std::optional<ErrorCode> reloadWhenDue(Session& session, const hls::HlsLimits& limits);
  bool write(const std::string& bytes);

  NetOptions m_options;
  std::string m_url;   // the media playlist's URL once the variant is chosen
  std::string m_body;  // network thread
  SegmentSink m_segmentStart;
};

}  // namespace qv::engine
