#include "hls/segment_retry.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv::engine::hls {
namespace {

using Action = RetryDecision::Action;
using std::chrono::milliseconds;

struct Step {
  bool fetchFails;
  Action expectedAction;  // ignored for a success
  milliseconds expectedDelay;
};

void run(SegmentRetryPolicy& policy, const std::vector<Step>& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (!steps[i].fetchFails) {
      policy.onSuccess();
      continue;
    }
    const RetryDecision decision = policy.onFailure();
    EXPECT_EQ(decision.action, steps[i].expectedAction) << "step " << i;
    EXPECT_EQ(decision.delay, steps[i].expectedDelay) << "step " << i;
    EXPECT_EQ(decision.error, steps[i].expectedAction == Action::EndWithError
                                  ? RetryDecision::Error::SegmentsUnavailable
                                  : RetryDecision::Error::None)
        << "step " << i;
  }
}

TEST(SegmentRetryPolicy, RetriesThenSkipsThenEnds) {
  SegmentRetryPolicy policy;
  run(policy, {
                  {true, Action::RetryAfterDelay, milliseconds(500)},
                  {true, Action::RetryAfterDelay, milliseconds(1000)},
                  {true, Action::SkipSegment, milliseconds(0)},
                  {true, Action::RetryAfterDelay, milliseconds(500)},  // the next segment starts afresh
                  {true, Action::RetryAfterDelay, milliseconds(1000)},
                  {true, Action::SkipSegment, milliseconds(0)},
                  {true, Action::RetryAfterDelay, milliseconds(500)},
                  {true, Action::RetryAfterDelay, milliseconds(1000)},
                  {true, Action::EndWithError, milliseconds(0)},  // third segment lost in a row
              });
}

TEST(SegmentRetryPolicy, ASegmentThatArrivesForgivesEarlierLosses) {
  SegmentRetryPolicy policy({2, milliseconds(100), milliseconds(100), 1});
  run(policy, {
                  {true, Action::RetryAfterDelay, milliseconds(100)},
                  {true, Action::SkipSegment, milliseconds(0)},
                  {false, Action::RetryAfterDelay, milliseconds(0)},
                  {true, Action::RetryAfterDelay, milliseconds(100)},
                  {true, Action::SkipSegment, milliseconds(0)},
                  {true, Action::RetryAfterDelay, milliseconds(100)},
                  {true, Action::EndWithError, milliseconds(0)},
              });
}

TEST(SegmentRetryPolicy, DelaysDoubleUpToTheCap) {
  SegmentRetryPolicy policy({6, milliseconds(500), milliseconds(1500), 0});
  run(policy, {
                  {true, Action::RetryAfterDelay, milliseconds(500)},
                  {true, Action::RetryAfterDelay, milliseconds(1000)},
                  {true, Action::RetryAfterDelay, milliseconds(1500)},
                  {true, Action::RetryAfterDelay, milliseconds(1500)},
                  {true, Action::RetryAfterDelay, milliseconds(1500)},
                  {true, Action::EndWithError, milliseconds(0)},  // no skipping allowed
              });
}

}  // namespace
}  // namespace qv::engine::hls
