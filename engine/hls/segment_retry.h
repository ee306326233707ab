#pragma once

#include <chrono>

namespace qv::engine::hls {

struct RetryLimits {
  int attemptsPerSegment = 3;  //!< the first fetch and two retries
  std::chrono::milliseconds firstDelay{500};
  std::chrono::milliseconds maxDelay{4000};
  int skippedInARow = 2;  //!< lost segments in a row a stream survives; one more ends it
};

//! What the engine does after a segment fetch failed.
struct RetryDecision {
  enum class Action {
    RetryAfterDelay,  //!< fetch the same segment again after delay
    SkipSegment,      //!< give the segment up and go on with the next one (a short gap)
    EndWithError,     //!< too many segments lost in a row: end the stream with error
  };
  enum class Error { None, SegmentsUnavailable };

  Action action = Action::RetryAfterDelay;
  std::chrono::milliseconds delay{0};
  Error error = Error::None;
};

//! Bounds the retries of segment fetches. While it retries, the engine's buffer drains and the
//! stream stalls; playback resumes when a segment arrives, or ends with an error once more
//! segments in a row are lost than the limits allow. Not thread-safe: one per stream, used by its
//! network thread.
class SegmentRetryPolicy {
 public:
  explicit SegmentRetryPolicy(RetryLimits limits = {});

  //! The current segment's fetch failed (network error, time-out, HTTP error status).
  RetryDecision onFailure();

  //! The current segment arrived whole.
  void onSuccess();

 private:
  RetryLimits m_limits;
  int m_failedAttempts = 0;
  int m_skippedInARow = 0;
};

}  // namespace qv::engine::hls
