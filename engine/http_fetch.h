#pragma once

#include "engine_types.h"
#include "net_reader.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace qv::engine {

//! A whole small resource fetched over HTTP: a playlist or one media segment.
struct Fetched {
  ErrorCode error = ErrorCode::Ok;
  long status = 0;
  std::string body;
  std::string contentType;   // lower case, without parameters
  std::string effectiveUrl;  // where redirects ended
};

struct ByteSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

//! Fetches `url` into memory on the calling thread with the stream's proxy and time-outs: a
//! non-2xx status fails with HttpStatus, more than `maxBytes` with ProtocolError, `abort` set from
//! another thread ends it within a fraction of a second.
Fetched fetchWhole(const std::string& url, const NetOptions& options, std::size_t maxBytes,
                   const std::atomic<bool>& abort, std::optional<ByteSpan> range = std::nullopt);

}  // namespace qv::engine
