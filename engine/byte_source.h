#pragma once

#include "engine_types.h"

#include <cstdint>
#include <thread>

namespace qv::engine {

//! What fills a stream's ByteRing from the network on a thread of its own: one transfer
//! (NetReader) or the segments of an HLS playlist (HlsReader).
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  virtual void start() = 0;
  //! Ends every transfer and wait at once and joins the thread.
  virtual void stop() = 0;
  //! The error that ended the data (Ok while running or after a clean end).
  virtual ErrorCode endError() const = 0;
  //! Bytes received so far.
  virtual std::uint64_t bodyBytes() const = 0;
  virtual std::thread::id threadId() const = 0;
};

}  // namespace qv::engine
