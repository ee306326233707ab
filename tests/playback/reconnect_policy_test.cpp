#include "reconnect_policy.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace pb = qv::playback;
using qv::engine::ErrorCode;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

const pb::ReconnectClock::time_point kStart{};

TEST(ReconnectPolicy, WaitsGrowToThirtySecondsAndStopAfterTenAttempts) {
  pb::ReconnectPolicy policy;
  auto now = kStart;
  std::vector<long long> waits;
  std::optional<milliseconds> wait = policy.stationLost(now);
  while (wait && waits.size() < 20) {
    waits.push_back(wait->count());
    EXPECT_EQ(policy.attempt(), static_cast<int>(waits.size()));
    now += *wait + seconds(1);  // each refused open takes a second
    wait = policy.attemptFailed(ErrorCode::ConnectFailed, 0, now);
  }
  EXPECT_EQ(waits, (std::vector<long long>{1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000, 30000, 30000}));
  EXPECT_FALSE(policy.reconnecting());
  EXPECT_EQ(policy.attempt(), 0);
}

TEST(ReconnectPolicy, NoAttemptStartsAfterFiveMinutes) {
  pb::ReconnectPolicy policy;
  auto now = kStart;
  int attempts = 0;
  // Opens that hang for 20 s each (connecting, then no answer): attempt 9 would start at 311 s.
  for (auto wait = policy.stationLost(now); wait && attempts < 20;
       wait = policy.attemptFailed(ErrorCode::Timeout, 0, now)) {
    ++attempts;
    now += *wait;
    EXPECT_LE(now - kStart, std::chrono::minutes(5));
    now += seconds(20);
  }
  EXPECT_EQ(attempts, 8);
  EXPECT_FALSE(policy.reconnecting());
}

TEST(ReconnectPolicy, ErrorsThatWillNotHealAreNotRetried) {
  struct Case {
    ErrorCode code;
    int status;
    bool retried;
  };
  const Case cases[] = {
      {ErrorCode::HttpStatus, 404, false},
      {ErrorCode::HttpStatus, 403, false},
      {ErrorCode::HttpStatus, 400, false},
      {ErrorCode::HttpStatus, 499, false},
      {ErrorCode::HttpStatus, 408, true},
      {ErrorCode::HttpStatus, 429, true},
      {ErrorCode::HttpStatus, 503, true},
      {ErrorCode::HttpStatus, 500, true},
      {ErrorCode::HttpStatus, 0, true},  // no status line seen: assume the server may come back
      {ErrorCode::UnsupportedFormat, 0, false},
      {ErrorCode::NoCodec, 0, false},
      {ErrorCode::BadUrl, 0, false},
      {ErrorCode::PlaylistLoop, 0, false},
      {ErrorCode::PlaylistEmpty, 0, false},
      {ErrorCode::OutputFailed, 0, false},
      {ErrorCode::ConnectFailed, 0, true},
      {ErrorCode::Timeout, 0, true},
      {ErrorCode::ClosedEarly, 0, true},
      {ErrorCode::ProtocolError, 0, true},
      {ErrorCode::TlsFailed, 0, true},
      {ErrorCode::DecodeFailed, 0, true},
      {ErrorCode::SegmentsUnavailable, 0, true},
      {ErrorCode::Unknown, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pb::mayHealByWaiting(c.code, c.status), c.retried)
        << "code " << static_cast<int>(c.code) << " status " << c.status;
    pb::ReconnectPolicy policy;
    ASSERT_TRUE(policy.stationLost(kStart));
    EXPECT_EQ(policy.attemptFailed(c.code, c.status, kStart + seconds(1)).has_value(), c.retried);
    EXPECT_EQ(policy.reconnecting(), c.retried);
  }
}

TEST(ReconnectPolicy, StatusCodeOfAStatusLine) {
  struct Case {
    const char* line;
    int code;
  };
  const Case cases[] = {
      {"HTTP/1.1 404 Not Found", 404}, {"HTTP/1.0 503", 503}, {"ICY 200 OK", 200}, {"HTTP/2 429 ", 429},
      {"HTTP/1.1 4040 Huge", 0},       {"HTTP/1.1 40x", 0},   {"garbage", 0},      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pb::statusCodeOf(c.line), c.code) << c.line;
  }
}

TEST(ReconnectPolicy, PlayingEndsTheAttemptsAndALaterLossStartsAfresh) {
  pb::ReconnectPolicy policy;
  auto now = kStart;
  EXPECT_EQ(policy.stationLost(now), milliseconds(1000));
  now += seconds(2);
  EXPECT_EQ(policy.attemptFailed(ErrorCode::ConnectFailed, 0, now), milliseconds(2000));
  now += seconds(3);
  policy.playing(now);
  EXPECT_FALSE(policy.reconnecting());
  // It plays steadily for a minute, then the server drops it again: waits begin at 1 s.
  now += seconds(60);
  EXPECT_EQ(policy.stationLost(now), milliseconds(1000));
  EXPECT_EQ(policy.attempt(), 1);
}

TEST(ReconnectPolicy, AStationDroppedSoonAfterItPlaysContinuesTheOutage) {
  pb::ReconnectPolicy policy;
  auto now = kStart;
  std::vector<long long> waits;
  // A server that takes every listener and drops it two seconds later.
  for (auto wait = policy.stationLost(now); wait && waits.size() < 20; wait = policy.stationLost(now)) {
    waits.push_back(wait->count());
    now += *wait;
    policy.playing(now);
    now += seconds(2);
  }
  EXPECT_EQ(waits.size(), 10u);
  EXPECT_EQ(waits.front(), 1000);
  EXPECT_EQ(waits.back(), 30000);

  // One that opens and ends again before it plays at all counts as a failed attempt too.
  pb::ReconnectPolicy opensAndEnds;
  auto wait = opensAndEnds.stationLost(kStart);
  int attempts = 0;
  for (; wait && attempts < 20; ++attempts) {
    wait = opensAndEnds.stationLost(kStart + seconds(attempts + 1));
  }
  EXPECT_EQ(attempts, 10);
}

TEST(ReconnectPolicy, ResetByTheUserForgetsTheOutage) {
  pb::ReconnectPolicy policy;
  ASSERT_TRUE(policy.stationLost(kStart));
  policy.reset();
  EXPECT_FALSE(policy.reconnecting());
  // A failure reported after the stop (a late open) is not retried.
  EXPECT_FALSE(policy.attemptFailed(ErrorCode::ConnectFailed, 0, kStart + seconds(1)));
  // A first open that fails is never retried either.
  pb::ReconnectPolicy fresh;
  EXPECT_FALSE(fresh.attemptFailed(ErrorCode::ConnectFailed, 0, kStart));
}

TEST(ReconnectPolicy, ScaledTimingKeepsTheSchedule) {
  const pb::ReconnectTiming timing = pb::ReconnectTiming{}.scaled(0.01);
  EXPECT_EQ(timing.waits.front(), milliseconds(10));
  EXPECT_EQ(timing.waits.back(), milliseconds(300));
  EXPECT_EQ(timing.maxOutage, milliseconds(3000));
  EXPECT_EQ(timing.maxAttempts, 10);
  EXPECT_EQ(pb::ReconnectTiming{}.scaled(0.00001).waits.front(), milliseconds(1));
}

}  // namespace
