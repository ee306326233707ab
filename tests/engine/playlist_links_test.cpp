// Station links that answer with a playlist: followed to the stream when playlist following is on,
// refused as a format otherwise, and never followed without end.

#include "engine_test_support.h"
#include "stream_server.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;
using engine::ErrorCode;

class PlaylistLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_TRUE(session.ok);
  }
  void TearDown() override { engine::setConfig(engine::Config::PlaylistFollowing, 0); }

  StreamServer server;
  Session session;
};

TEST_F(PlaylistLinks, EachKindIsFollowedToTheStationWhenFollowingIsOn) {
  ASSERT_TRUE(engine::setConfig(engine::Config::PlaylistFollowing, 1));
  for (const char* link : {"/playlist/to/sine1k.mp3.pls", "/playlist/to/sine1k.mp3.m3u", "/playlist/to/sine1k.mp3.xspf",
                           "/playlist/chain/3/sine1k.mp3.pls"}) {
    SCOPED_TRACE(link);
    const engine::Handle stream = engine::streamCreateUrl(server.url(link).c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    // The headers are the station's own, not the playlist's.
    const auto icy = lines(engine::channelGetTags(stream, engine::Tag::Icy));
    ASSERT_FALSE(icy.empty());
    EXPECT_EQ(icy.front(), "ICY 200 OK");
    engine::ChannelInfo info;
    ASSERT_TRUE(engine::channelGetInfo(stream, &info));
    EXPECT_STREQ(info.codec, "mp3float");
    ASSERT_TRUE(engine::channelPlay(stream));
    EXPECT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 5s));
    EXPECT_TRUE(engine::streamFree(stream));
  }
}

TEST_F(PlaylistLinks, AStreamWhoseTypeDoesNotSayAudioIsLookedAtAndPlayedWhole) {
  ASSERT_TRUE(engine::setConfig(engine::Config::PlaylistFollowing, 1));
  // FLAC cannot be decoded without its header, the first bytes looked at for a playlist.
  for (const char* type : {"application/octet-stream", "text/plain", "text/html"}) {
    SCOPED_TRACE(type);
    const std::string path = std::string("/file/sine1k.flac?type=") + type;
    const engine::Handle stream = engine::streamCreateUrl(server.url(path).c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    engine::ChannelInfo info;
    ASSERT_TRUE(engine::channelGetInfo(stream, &info));
    EXPECT_STREQ(info.codec, "flac");
    EXPECT_TRUE(engine::streamFree(stream));
  }
}

TEST_F(PlaylistLinks, LinksThatLeadNowhereEndWithTheirOwnErrorCode) {
  struct Case {
    const char* link;
    bool following;
    ErrorCode expected;
  };
  const Case cases[] = {
      {"/playlist/self.pls", true, ErrorCode::PlaylistLoop},
      {"/playlist/self.m3u", true, ErrorCode::PlaylistLoop},
      {"/playlist/chain/9/sine1k.mp3.pls", true, ErrorCode::PlaylistTooDeep},
      {"/playlist/empty.pls", true, ErrorCode::PlaylistEmpty},
      {"/playlist/to/sine1k.mp3.pls", false, ErrorCode::UnsupportedFormat},
      {"/playlist/to/sine1k.mp3.m3u", false, ErrorCode::UnsupportedFormat},
      {"/playlist/to/sine1k.mp3.xspf", false, ErrorCode::UnsupportedFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    ASSERT_TRUE(engine::setConfig(engine::Config::PlaylistFollowing, c.following ? 1 : 0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(engine::streamCreateUrl(server.url(c.link).c_str(), 0, nullptr, nullptr), 0u);
    EXPECT_EQ(engine::errorGetCode(), c.expected) << engine::errorName(engine::errorGetCode());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  }
}

}  // namespace
