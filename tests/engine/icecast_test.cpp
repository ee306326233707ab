#include "engine_test_support.h"
#include "icecast_server.h"

#include <gtest/gtest.h>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;

// A real Icecast2 fed by the ffmpeg command line: its headers, its music and its changing titles.
TEST(Icecast, PlaysTheLiveStreamAndFollowsItsTitles) {
  IcecastServer icecast;
  if (icecast.notInstalled()) {
    GTEST_SKIP() << icecast.error();
  }
  ASSERT_TRUE(icecast.ok()) << icecast.error();
  Session session;
  ASSERT_TRUE(session.ok);
  const engine::Handle stream = engine::streamCreateUrl(icecast.url().c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  const auto headers = lines(engine::channelGetTags(stream, engine::Tag::Http));
  ASSERT_FALSE(headers.empty());
  EXPECT_EQ(headers.front().rfind("HTTP/1.", 0), 0u) << headers.front();
  EXPECT_TRUE(std::any_of(headers.begin(), headers.end(),
                          [](const std::string& line) { return line.rfind("icy-metaint:", 0) == 0; }));
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 5s));
  EXPECT_TRUE(waitUntil([&] { return engine::channelGetLevel(stream) != 0; }, 3s));
  ASSERT_TRUE(syncs.waitFor(engine::SyncType::Meta, 2, 8s));
  const auto metas = syncs.events(engine::SyncType::Meta);
  EXPECT_NE(metas[0].text, metas[1].text);
  EXPECT_NE(metas[1].text.find("StreamTitle='Icecast Artist - Track "), std::string::npos) << metas[1].text;
  EXPECT_TRUE(engine::streamFree(stream));
}

}  // namespace
