#include "hls/live_tracker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::engine::hls {
namespace {

using std::chrono::milliseconds;

// A list of count segments of `seconds` each from sequence first; URIs are prefix + number.
MediaPlaylist window(std::uint64_t first, std::size_t count, const std::string& prefix = "s", bool endList = false,
                     double seconds = 6, const std::string& query = "") {
  MediaPlaylist list;
  list.targetDuration = 6;
  list.mediaSequence = first;
  list.endList = endList;
  for (std::size_t i = 0; i < count; ++i) {
    Segment segment;
    segment.sequence = first + i;
    segment.duration = seconds;
    segment.uri = "http://radio.test/" + prefix + std::to_string(first + i) + ".ts" + query;
    list.segments.push_back(segment);
  }
  return list;
}

std::vector<std::uint64_t> sequences(const LivePlaylistTracker::Update& update) {
  std::vector<std::uint64_t> numbers;
  for (const Segment& segment : update.newSegments) {
    numbers.push_back(segment.sequence);
  }
  return numbers;
}

struct Load {
  MediaPlaylist playlist;
  std::vector<std::uint64_t> expectedNew;
  std::uint64_t expectedMissed;
  bool expectedRestart;
  milliseconds expectedDelay;
};

TEST(LivePlaylistTracker, YieldsEachSegmentOnceAcrossASlidingWindow) {
  const std::vector<Load> loads = {
      // Starts three target durations (18 s) before the live edge.
      {window(10, 6), {13, 14, 15}, 0, false, milliseconds(6000)},
      {window(11, 6), {16}, 0, false, milliseconds(6000)},
      // Unchanged: reload after half the target duration.
      {window(11, 6), {}, 0, false, milliseconds(3000)},
      // A stale copy from a cache, older than what was played: nothing new, no restart.
      {window(9, 6), {}, 0, false, milliseconds(3000)},
      {window(14, 6), {17, 18, 19}, 0, false, milliseconds(6000)},
      // The window moved past two segments before we reloaded.
      {window(22, 6), {22, 23, 24, 25, 26, 27}, 2, false, milliseconds(6000)},
      // Segment tokens change from load to load: still the same segments.
      {window(23, 6, "s", false, 6, "?token=b"), {28}, 0, false, milliseconds(6000)},
      // The server restarted its numbering after a discontinuity.
      {window(0, 3, "r"), {0, 1, 2}, 0, true, milliseconds(6000)},
      {window(1, 3, "r"), {3}, 0, false, milliseconds(6000)},
      // Same numbers, other segments: numbering began anew; start near the live edge again.
      {window(2, 6, "q"), {5, 6, 7}, 0, true, milliseconds(6000)},
  };
  LivePlaylistTracker tracker;
  EXPECT_EQ(tracker.reloadDelay(), milliseconds(1000));
  for (std::size_t i = 0; i < loads.size(); ++i) {
    const Load& load = loads[i];
    const auto update = tracker.update(load.playlist);
    EXPECT_EQ(sequences(update), load.expectedNew) << "load " << i;
    EXPECT_EQ(update.missedSegments, load.expectedMissed) << "load " << i;
    EXPECT_EQ(update.restarted, load.expectedRestart) << "load " << i;
    if (!update.newSegments.empty()) {
      EXPECT_EQ(update.newSegments.front().discontinuity, load.expectedRestart) << "load " << i;
    }
    EXPECT_EQ(tracker.reloadDelay(), load.expectedDelay) << "load " << i;
    EXPECT_FALSE(tracker.ended());
  }
}

TEST(LivePlaylistTracker, CountsLoadsThatBringNothing) {
  LivePlaylistTracker tracker;
  tracker.update(window(0, 4));
  tracker.update(window(0, 4));
  tracker.update(window(0, 4));
  EXPECT_EQ(tracker.unchangedLoads(), 2u);
  tracker.update(window(1, 4));
  EXPECT_EQ(tracker.unchangedLoads(), 0u);
}

TEST(LivePlaylistTracker, ShortLiveListAndEmptyFirstLoadStartAtTheFirstSegment) {
  LivePlaylistTracker tracker;
  EXPECT_TRUE(tracker.update(MediaPlaylist{6, 0, 0, PlaylistType::Unspecified, false, {}}).newSegments.empty());
  EXPECT_EQ(tracker.reloadDelay(), milliseconds(3000));
  // 2 x 4 s is less than three target durations: everything is played.
  EXPECT_EQ(sequences(tracker.update(window(5, 2, "s", false, 4))), (std::vector<std::uint64_t>{5, 6}));
}

TEST(LivePlaylistTracker, CompleteListPlaysFromTheStartAndEnds) {
  LivePlaylistTracker tracker;
  EXPECT_EQ(sequences(tracker.update(window(0, 8, "v", true))), (std::vector<std::uint64_t>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(tracker.ended());
  EXPECT_TRUE(tracker.update(window(0, 9, "v", true)).newSegments.empty());
}

TEST(LivePlaylistTracker, LiveListThatEndsGivesItsLastSegmentsThenEnds) {
  LivePlaylistTracker tracker;
  tracker.update(window(10, 6));
  EXPECT_FALSE(tracker.ended());
  EXPECT_EQ(sequences(tracker.update(window(12, 6, "s", true))), (std::vector<std::uint64_t>{16, 17}));
  EXPECT_TRUE(tracker.ended());
}

}  // namespace
}  // namespace qv::engine::hls
