#pragma once

// The words the engine's parts share with its callers: handles, error codes and tags. engine.h is
// the interface; the engine's own parts include only this where they need no more.

#include <cstdint>
#include <memory>
#include <string>

namespace qv::engine {

using Handle = std::uint32_t;

//! Error codes of the calling thread's last call; README lists them for users.
enum class ErrorCode : int {
  Ok = 0,
  NotInitialised = 1,
  AlreadyInitialised = 2,
  BadHandle = 3,
  OutputFailed = 4,
  BadDevice = 5,
  BadParameter = 6,
  BadUrl = 7,
  NotAvailable = 8,
  ConnectFailed = 10,
  HttpStatus = 11,
  Timeout = 12,
  ProtocolError = 13,
  HeadersTooLarge = 14,
  TooManyRedirects = 15,
  BadIcyMetaint = 16,
  ProxyRefused = 17,
  ClosedEarly = 18,
  TlsFailed = 19,
  UnsupportedFormat = 20,
  NoCodec = 21,
  DecodeFailed = 22,
  PlaylistLoop = 23,
  PlaylistTooDeep = 24,      //!< playlist links nested deeper than followed
  PlaylistEmpty = 25,        //!< a playlist link without a stream URL we may open
  SegmentsUnavailable = 26,  //!< HLS: too many segments in a row could not be fetched
  BadHlsPlaylist = 27,       //!< HLS: the playlist cannot be played (malformed, no audio variant, too large)
  Unknown = -1,
};

//! A short English name of a code, for logs and the command-line tool.
const char* errorName(ErrorCode code);

enum class Tag : std::uint8_t {
  Icy,        //!< ICY headers of an ICY server's answer; list
  Http,       //!< HTTP headers; list
  Meta,       //!< newest ICY metadata text, raw
  Ogg,        //!< comments of the current Ogg logical stream, "NAME=value"; list
  HlsExtinf,  //!< label of the HLS segment heard now (HLS streams)
};

//! A tag's text as it was when it was read: shared and never changed, so it stays valid for as
//! long as it is held, however often the tag changes meanwhile. Null when there is no such tag.
using TagText = std::shared_ptr<const std::string>;

//! What the output watch (engine.h, setOutputWatch) is told.
enum class OutputChange : std::uint8_t {
  NamedDeviceMissing,  //!< the device asked for is not there: the default plays
  DeviceRemoved,       //!< the device went away while playing: the default plays on
};

}  // namespace qv::engine
