#pragma once

namespace qv::playback {

//! Keeps the system and the display awake while a station plays. Both calls are cheap and may be
//! repeated: keeping awake twice holds one request, allowing sleep without a request does nothing.
class KeepAwake {
 public:
  virtual ~KeepAwake() = default;
  virtual void keepAwake() = 0;
  virtual void allowSleep() = 0;
};

}  // namespace qv::playback
