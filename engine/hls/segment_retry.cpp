#include "hls/segment_retry.h"

#include <algorithm>

namespace qv::engine::hls {

SegmentRetryPolicy::SegmentRetryPolicy(RetryLimits limits) : limits_(limits) {
  limits_.attemptsPerSegment = std::max(limits_.attemptsPerSegment, 1);
  limits_.skippedInARow = std::max(limits_.skippedInARow, 0);
}

RetryDecision SegmentRetryPolicy::onFailure() {
  ++failedAttempts_;
  RetryDecision decision;
  if (failedAttempts_ < limits_.attemptsPerSegment) {
    // Doubling delays, so a struggling server is not hammered.
    std::chrono::milliseconds delay = limits_.firstDelay;
    for (int i = 1; i < failedAttempts_ && delay < limits_.maxDelay; ++i) {
      delay *= 2;
    }
    decision.delay = std::min(delay, limits_.maxDelay);
    return decision;
  }
  failedAttempts_ = 0;
  ++skippedInARow_;
  if (skippedInARow_ <= limits_.skippedInARow) {
    decision.action = RetryDecision::Action::SkipSegment;
    return decision;
  }
  decision.action = RetryDecision::Action::EndWithError;
  decision.error = RetryDecision::Error::SegmentsUnavailable;
  return decision;
}

void SegmentRetryPolicy::onSuccess() {
  failedAttempts_ = 0;
  skippedInARow_ = 0;
}

}  // namespace qv::engine::hls
