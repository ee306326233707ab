// HLS streams from the local server's playlists: segments of ffmpeg-made audio, VOD and live.

#include "engine_test_support.h"
#include "stream_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;
using engine::SyncType;

//! The label's title: the EXTINF text after its duration.
std::string titleOf(const std::string& label) {
  const auto comma = label.find(',');
  return comma == std::string::npos ? std::string() : label.substr(comma + 1);
}

std::vector<std::string> heardTitles(const SyncLog& syncs) {
  std::vector<std::string> titles;
  for (const auto& event : syncs.events(SyncType::HlsSegment)) {
    titles.push_back(titleOf(event.text));
  }
  return titles;
}

class Hls : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_TRUE(session.ok);
  }

  engine::Handle open(const std::string& path) {
    const engine::Handle stream = engine::streamCreateUrl(server.url(path).c_str(), 0, nullptr, nullptr);
    EXPECT_NE(stream, 0u) << path << ": " << engine::errorName(engine::errorGetCode());
    return stream;
  }

  static bool audible(engine::Handle stream) {
    return waitUntil(
        [&] {
          const std::uint32_t level = engine::channelGetLevel(stream);
          return level != UINT32_MAX && (level & 0xFFFFu) > 8000;  // the tone's amplitude is half of full scale
        },
        5s);
  }

  StreamServer server;
  Session session;
};

// What a stream reported, with each event's time since `start`: printed when a wait runs out, so
// that a slow run shows where its time went.
std::string timeline(const SyncLog& syncs, std::chrono::steady_clock::time_point start) {
  auto name = [](SyncType type) {
    switch (type) {
      case SyncType::HlsSegment:
        return "segment";
      case SyncType::Stall:
        return "stall";
      case SyncType::End:
        return "end";
      default:
        return "other";
    }
  };
  std::string out;
  for (const SyncLog::Event& event : syncs.events()) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(event.at - start).count();
    out += "  " + std::to_string(ms) + " ms: " + name(event.type) + " (" + std::to_string(event.data) + ") " +
           event.text + "\n";
  }
  return out;
}

TEST_F(Hls, VodSegmentsAreHeardInOrderWithTheirLabelsThenEnd) {
  const engine::Handle stream = open("/hls/vod/hls_aac_ts.m3u8");
  ASSERT_NE(stream, 0u);
  engine::ChannelInfo info;
  ASSERT_TRUE(engine::channelGetInfo(stream, &info));
  EXPECT_STREQ(info.codec, "aac");
  EXPECT_EQ(info.rateHz, 44100);
  SyncLog syncs;
  syncs.attach(stream);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(engine::channelPlay(stream));
  EXPECT_TRUE(audible(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::End, 1, 10s)) << timeline(syncs, start);

  EXPECT_EQ(heardTitles(syncs), (std::vector<std::string>{"hls_aac_ts part 0", "hls_aac_ts part 1", "hls_aac_ts part 2",
                                                          "hls_aac_ts part 3"}));
  const auto segments = syncs.events(SyncType::HlsSegment);
  ASSERT_EQ(segments.size(), 4u);
  // The segments were all fetched at once; each is told when it starts to be heard, about one
  // second of audio after the one before.
  for (std::size_t i = 1; i < segments.size(); ++i) {
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(segments[i].at - segments[i - 1].at);
    EXPECT_GT(gap.count(), 700) << "segment " << i;
    EXPECT_LT(gap.count(), 1400) << "segment " << i;
  }
  const auto end = syncs.events(SyncType::End).front();
  EXPECT_GT(end.at, segments.back().at + 600ms) << "END follows the last segment's audio";
  const engine::TagText label = engine::channelGetTags(stream, engine::Tag::HlsExtinf);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(*label, "0.905,hls_aac_ts part 3");
  EXPECT_TRUE(engine::streamFree(stream));
}

TEST_F(Hls, EverySegmentFormatPlays) {
  struct Case {
    const char* path;
    const char* codec;
  };
  const Case cases[] = {
      {"/hls/vod/hls_mp3_ts.m3u8", "mp3float"},
      {"/hls/vod/hls_adts.m3u8", "aac"},
      {"/hls/vod/hls_fmp4.m3u8", "aac"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const engine::Handle stream = open(c.path);
    ASSERT_NE(stream, 0u);
    engine::ChannelInfo info;
    ASSERT_TRUE(engine::channelGetInfo(stream, &info));
    EXPECT_STREQ(info.codec, c.codec);
    SyncLog syncs;
    syncs.attach(stream);
    ASSERT_TRUE(engine::channelPlay(stream));
    EXPECT_TRUE(audible(stream));
    EXPECT_TRUE(syncs.waitFor(SyncType::HlsSegment, 2, 5s));
    EXPECT_TRUE(engine::streamFree(stream));
  }
}

TEST_F(Hls, MasterPlaylistLeadsToTheAudioOnlyVariant) {
  // The other variant carries video and answers 404: opening it would fail.
  const engine::Handle stream = open("/hls/master.m3u8?to=vod&set=hls_aac_ts");
  ASSERT_NE(stream, 0u);
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::HlsSegment, 1, 5s));
  EXPECT_EQ(heardTitles(syncs).front(), "hls_aac_ts part 0");
  EXPECT_TRUE(engine::streamFree(stream));
}

TEST_F(Hls, AMissingSegmentIsSkippedAfterItsRetries) {
  const engine::Handle stream = open("/hls/vod/hls_aac_ts.m3u8?missing=1");
  ASSERT_NE(stream, 0u);
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::End, 1, 15s));
  EXPECT_EQ(heardTitles(syncs),
            (std::vector<std::string>{"hls_aac_ts part 0", "hls_aac_ts part 2", "hls_aac_ts part 3"}));
  EXPECT_TRUE(engine::streamFree(stream));
}

TEST_F(Hls, SegmentsThatNeverArriveEndTheOpenWithTheirErrorCode) {
  // Each segment is tried three times; a third segment lost in a row gives up.
  EXPECT_EQ(
      engine::streamCreateUrl(server.url("/hls/vod/hls_aac_ts.m3u8?missing=0,1,2,3").c_str(), 0, nullptr, nullptr), 0u);
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::SegmentsUnavailable)
      << engine::errorName(engine::errorGetCode());
}

TEST_F(Hls, LivePlaylistIsReloadedAndEachNewSegmentHeardOnce) {
  const engine::Handle stream = open("/hls/live/hls_aac_ts.m3u8?window=4");
  ASSERT_NE(stream, 0u);
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  EXPECT_TRUE(audible(stream));
  // Playing starts three segments before the live end: a fifth one needs two reloads.
  ASSERT_TRUE(syncs.waitFor(SyncType::HlsSegment, 5, 10s));
  const auto titles = heardTitles(syncs);
  const std::string prefix = "hls_aac_ts seq ";
  ASSERT_TRUE(titles.front().starts_with(prefix)) << titles.front();
  const int first = std::stoi(titles.front().substr(prefix.size()));
  for (std::size_t i = 0; i < titles.size(); ++i) {
    EXPECT_EQ(titles[i], "hls_aac_ts seq " + std::to_string(first + static_cast<int>(i)));
  }
  EXPECT_TRUE(syncs.events(SyncType::End).empty());
  EXPECT_TRUE(engine::streamFree(stream));
}

// The encoder stops at once: the live playlist keeps its four segments for good. Playing starts
// three target durations before its end (its last three segments last 2.9 s, so from the first);
// once they are heard and no new one has come for three target durations (and the no-data
// time-out, 2 s here), the stream ends instead of buffering for ever.
TEST_F(Hls, LivePlaylistThatStopsChangingEndsTheStream) {
  ASSERT_TRUE(engine::setConfig(engine::Config::NetTimeoutMs, 2000));
  const engine::Handle stream = open("/hls/live/hls_aac_ts.m3u8?window=4&freeze=0");
  ASSERT_NE(stream, 0u);
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  EXPECT_TRUE(audible(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::End, 1, 15s));
  EXPECT_EQ(heardTitles(syncs),
            (std::vector<std::string>{"hls_aac_ts seq 0", "hls_aac_ts seq 1", "hls_aac_ts seq 2", "hls_aac_ts seq 3"}));
  EXPECT_EQ(engine::channelIsActive(stream), engine::ChannelState::Stopped);
  EXPECT_TRUE(engine::streamFree(stream));
}

}  // namespace

namespace {

// A discontinuity may bring another container, codec or rate: the decoder starts afresh there and
// every segment is heard; one within the same format plays through as well. Two segments of each
// set are enough to cross every boundary, and keep the audio short enough to be heard in time
// even in a slow sanitizer build.
TEST_F(Hls, DiscontinuitiesPlayOnWhetherOrNotTheFormatChanges) {
  constexpr int kParts = 2;
  struct Case {
    const char* sets;
    std::vector<std::string> sets_heard;
  };
  const Case cases[] = {
      {"hls_aac_ts,hls_adts,hls_mp3_ts,hls_fmp4", {"hls_aac_ts", "hls_adts", "hls_mp3_ts", "hls_fmp4"}},
      {"hls_mp3_ts,hls_mp3_ts", {"hls_mp3_ts", "hls_mp3_ts"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sets);
    const auto start = std::chrono::steady_clock::now();
    const engine::Handle stream =
        open(std::string("/hls/joined.m3u8?parts=") + std::to_string(kParts) + "&sets=" + c.sets);
    ASSERT_NE(stream, 0u);
    SyncLog syncs;
    syncs.attach(stream);
    ASSERT_TRUE(engine::channelPlay(stream));
    EXPECT_TRUE(audible(stream));
    ASSERT_TRUE(syncs.waitFor(SyncType::End, 1, 40s)) << timeline(syncs, start);
    std::vector<std::string> expected;
    for (const std::string& set : c.sets_heard) {
      for (int part = 0; part < kParts; ++part) {
        expected.push_back(set + " part " + std::to_string(part));
      }
    }
    EXPECT_EQ(heardTitles(syncs), expected);
    EXPECT_TRUE(engine::streamFree(stream));
  }
}

}  // namespace
