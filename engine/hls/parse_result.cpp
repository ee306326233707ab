#include "hls/parse_result.h"

namespace qv::engine::hls {

const char* describe(ParseError error) {
  switch (error) {
    case ParseError::None:
      return "no error";
    case ParseError::TooLarge:
      return "playlist too large";
    case ParseError::TooManyLines:
      return "playlist has too many lines";
    case ParseError::MissingHeader:
      return "not an HLS playlist (no #EXTM3U)";
    case ParseError::NotMasterPlaylist:
      return "a media playlist, not a master playlist";
    case ParseError::NotMediaPlaylist:
      return "a master playlist, not a media playlist";
    case ParseError::NoVariants:
      return "master playlist without variants";
    case ParseError::TooManyEntries:
      return "playlist has too many entries";
    case ParseError::MissingUri:
      return "tag without its URI line";
    case ParseError::UriWithoutDuration:
      return "segment URI without #EXTINF";
    case ParseError::InvalidAttribute:
      return "malformed or missing attribute";
    case ParseError::InvalidDuration:
      return "invalid segment duration";
    case ParseError::MissingTargetDuration:
      return "no #EXT-X-TARGETDURATION";
    case ParseError::InvalidTargetDuration:
      return "invalid target duration";
    case ParseError::InvalidSequenceNumber:
      return "invalid sequence number";
    case ParseError::InvalidByteRange:
      return "invalid byte range";
    case ParseError::InvalidUri:
      return "URI cannot be resolved";
    case ParseError::UnsupportedEncryption:
      return "encrypted segments are not supported";
  }
  return "unknown error";
}

}  // namespace qv::engine::hls
