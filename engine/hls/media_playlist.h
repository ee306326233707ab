#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hls/parse_result.h"

namespace qv::engine::hls {

//! Part of a resource: length bytes starting at offset (an HTTP Range of offset..offset+length-1).
struct ByteRange {
  std::uint64_t length = 0;
  std::uint64_t offset = 0;

  bool operator==(const ByteRange&) const = default;
};

//! The #EXT-X-MAP initialisation section (the fragmented MP4 header) a segment needs first.
struct InitSection {
  std::string uri;
  std::optional<ByteRange> byteRange;

  bool operator==(const InitSection&) const = default;
};

struct Segment {
  std::uint64_t sequence = 0;  //!< media sequence number
  double duration = 0;         //!< seconds, from #EXTINF
  std::string label;           //!< the #EXTINF text after the colon, e.g. "10.0,News at ten"
  std::string title;           //!< the label after its first comma; empty without a comma
  std::string uri;             //!< resolved against the playlist's URL
  std::optional<ByteRange> byteRange;
  std::optional<InitSection> initSection;
  bool discontinuity = false;  //!< an #EXT-X-DISCONTINUITY comes before it: reset the decoder
  std::uint64_t discontinuitySequence = 0;
};

enum class PlaylistType { Unspecified, Event, Vod };

struct MediaPlaylist {
  std::uint32_t targetDuration = 0;  //!< seconds, at least 1
  std::uint64_t mediaSequence = 0;   //!< sequence number of the first segment
  std::uint64_t discontinuitySequence = 0;
  PlaylistType type = PlaylistType::Unspecified;
  bool endList = false;  //!< #EXT-X-ENDLIST: no segment will be added
  std::vector<Segment> segments;
};

//! Parses a media playlist. Encryption other than METHOD=NONE is refused as
//! UnsupportedEncryption, so the engine can end the stream with a clear error.
ParseResult<MediaPlaylist> parseMediaPlaylist(std::string_view body, std::string_view playlistUrl,
                                              const HlsLimits& limits = {});

}  // namespace qv::engine::hls
