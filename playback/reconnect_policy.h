#pragma once

#include "engine.h"

#include <array>
#include <chrono>
#include <optional>
#include <string_view>

namespace qv::playback {

using ReconnectClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

//! The waits and limits of reconnection. Tests scale them down; the defaults are what users get.
struct ReconnectTiming {
  //! Wait before attempt 1, 2, ...; the last one repeats.
  std::array<milliseconds, 6> waits{milliseconds(1000), milliseconds(2000),  milliseconds(4000),
                                    milliseconds(8000), milliseconds(16000), milliseconds(30000)};
  int maxAttempts = 10;
  //! No attempt starts later than this after the station was lost.
  milliseconds maxOutage = milliseconds(5 * 60 * 1000);
  //! A station that plays this long before it is lost again counts as healed: the next loss starts
  //! afresh. One lost sooner continues the outage, so a server that drops every listener after a
  //! few seconds is not hammered once a second for ever.
  milliseconds steadyPlay = milliseconds(10000);

  //! Every duration multiplied by `factor` (at least 1 ms each).
  ReconnectTiming scaled(double factor) const;
};

//! The status code of an HTTP or ICY status line ("HTTP/1.1 404 Not Found", "ICY 200 OK"); 0 when
//! the line has none.
int statusCodeOf(std::string_view statusLine);

//! Whether a failed open may succeed later. Not retried: an error status 400..499 other than 408
//! (time-out) and 429 (too many requests), a link that is not a stream URL, a format or codec we do
//! not play, a playlist link that loops or holds nothing, and faults of our own set-up. Everything
//! else (refused or lost connections, time-outs, 5xx, a garbled answer while a server restarts) is.
bool mayHealByWaiting(qv::engine::ErrorCode code, int httpStatus);

//! Decides when a station that stopped without the user asking is opened again: waits of 1, 2, 4,
//! 8, 16, then 30 s, until it plays or 10 attempts or 5 minutes have passed. A plain rule with the
//! time passed in, so it is tested from tables; the caller owns the timers and the opening.
class ReconnectPolicy {
 public:
  explicit ReconnectPolicy(ReconnectTiming timing = {});

  //! The station ended by itself (server closed, stall past the no-data time-out, network error).
  //! Returns the wait before the next attempt, or nothing when the attempts are spent.
  std::optional<milliseconds> stationLost(ReconnectClock::time_point now);
  //! The current attempt's open failed with `code` (and `httpStatus` when the server answered).
  //! Returns the wait before the next attempt, or nothing to give up.
  std::optional<milliseconds> attemptFailed(qv::engine::ErrorCode code, int httpStatus, ReconnectClock::time_point now);
  //! The station plays (the first time or after an attempt).
  void playing(ReconnectClock::time_point now);
  //! The user stopped, chose another station or closed: forget everything.
  void reset();

  //! An attempt is waiting or running.
  bool reconnecting() const { return m_reconnecting; }
  //! The number of the attempt waiting or running, from 1 (counted across short plays within one
  //! outage); 0 when not reconnecting.
  int attempt() const { return m_reconnecting ? m_attemptsMade : 0; }

 private:
  std::optional<milliseconds> nextAttempt(ReconnectClock::time_point now);

  ReconnectTiming m_timing;
  bool m_reconnecting = false;
  int m_attemptsMade = 0;  // attempts started since the outage began
  std::optional<ReconnectClock::time_point> m_outageStart;
  std::optional<ReconnectClock::time_point> m_playingSince;
};

}  // namespace qv::playback
