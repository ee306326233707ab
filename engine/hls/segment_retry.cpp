#include "hls/segment_retry.h"

#include <algorithm>

namespace qv::engine::hls {

SegmentRetryPolicy::SegmentRetryPolicy(RetryLimits limits) : m_limits(limits) {
  m_limits.attemptsPerSegment = std::max(m_limits.attemptsPerSegment, 1);
  m_limits.skippedInARow = std::max(m_limits.skippedInARow, 0);
}

RetryDecision SegmentRetryPolicy::onFailure() {
  ++m_failedAttempts;
  RetryDecision decision;
  if (m_failedAttempts < m_limits.attemptsPerSegment) {
    // Doubling delays, so a struggling server is not hammered.
    std::chrono::milliseconds delay = m_limits.firstDelay;
    for (int i = 1; i < m_failedAttempts && delay < m_limits.maxDelay; ++i) {
      delay *= 2;
    }
    decision.delay = std::min(delay, m_limits.maxDelay);
    return decision;
  }
  m_failedAttempts = 0;
  ++m_skippedInARow;
  if (m_skippedInARow <= m_limits.skippedInARow) {
    decision.action = RetryDecision::Action::SkipSegment;
    return decision;
  }
  decision.action = RetryDecision::Action::EndWithError;
  decision.error = RetryDecision::Error::SegmentsUnavailable;
  return decision;
}

void SegmentRetryPolicy::onSuccess() {
  m_failedAttempts = 0;
  m_skippedInARow = 0;
}

}  // namespace qv::engine::hls
