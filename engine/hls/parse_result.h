#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::engine::hls {

//! Why a playlist was refused. Every refusal leaves the caller with a value, never a crash.
enum class ParseError {
  None,
  TooLarge,               //!< body over HlsLimits::maxBytes
  TooManyLines,           //!< more than HlsLimits::maxLines lines
  MissingHeader,          //!< the first line is not #EXTM3U
  NotMasterPlaylist,      //!< media playlist given where a master one was expected
  NotMediaPlaylist,       //!< master playlist given where a media one was expected
  NoVariants,             //!< master playlist without a usable variant
  TooManyEntries,         //!< more variants or segments than HlsLimits allow
  MissingUri,             //!< a tag that needs a URI line is not followed by one
  UriWithoutDuration,     //!< a segment URI without its #EXTINF
  InvalidAttribute,       //!< a malformed attribute list or a required attribute missing
  InvalidDuration,        //!< #EXTINF negative, not a number, or beyond HlsLimits::maxSegmentSeconds
  MissingTargetDuration,  //!< media playlist without #EXT-X-TARGETDURATION
  InvalidTargetDuration,  //!< zero, not a number or beyond HlsLimits::maxSegmentSeconds
  InvalidSequenceNumber,  //!< #EXT-X-MEDIA-SEQUENCE or -DISCONTINUITY-SEQUENCE not a number
  InvalidByteRange,       //!< malformed #EXT-X-BYTERANGE, or one without a previous range to follow
  InvalidUri,             //!< a URI that does not resolve to an http or https URL with a host
  UnsupportedEncryption,  //!< #EXT-X-KEY with a METHOD other than NONE
};

//! Short English text for logs and error details.
const char* describe(ParseError error);

//! Bounds that keep a hostile playlist from costing unbounded memory or time.
struct HlsLimits {
  std::size_t maxBytes = 4 * 1024 * 1024;
  std::size_t maxLines = 200'000;
  std::size_t maxEntries = 50'000;  //!< variants or segments; ten hours of two-second segments fit
  double maxSegmentSeconds = 3600;  //!< also the largest target duration accepted
};

template <class Playlist>
struct ParseResult {
  Playlist playlist;
  ParseError error = ParseError::None;
  std::size_t line = 0;  //!< 1-based line of the fault; 0 when it concerns the whole body

  bool ok() const { return error == ParseError::None; }
};

}  // namespace qv::engine::hls
