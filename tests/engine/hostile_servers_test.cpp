#include "engine_test_support.h"
#include "stream_server.h"

#include <gtest/gtest.h>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;
using engine::ErrorCode;

// Every failing open ends with its own error code within the time-outs; nothing crashes or hangs.
// The no-data time-out is shortened to 1.5 s here; its default is 10 s.
TEST(HostileServers, EachFailingOpenEndsWithItsErrorCodeInTime) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Session session;
  ASSERT_TRUE(session.ok);
  ASSERT_TRUE(engine::setConfig(engine::Config::NetTimeoutMs, 1500));
  struct Case {
    std::string url;
    ErrorCode expected;
  };
  const Case cases[] = {
      {server.url("/status/404"), ErrorCode::HttpStatus},
      {server.url("/status/503"), ErrorCode::HttpStatus},
      {"http://127.0.0.1:1/refused.mp3", ErrorCode::ConnectFailed},
      {server.url("/silent"), ErrorCode::Timeout},
      {server.url("/drip"), ErrorCode::Timeout},
      // Audio bytes that trickle in too slowly to give a first frame within the time-out.
      {server.url("/icy/sine1k.mp3?rate=20&burst=0"), ErrorCode::Timeout},
      {server.url("/file/not_audio.bin"), ErrorCode::UnsupportedFormat},
      {server.url("/garbage-status"), ErrorCode::ProtocolError},
      {server.url("/endless-headers"), ErrorCode::HeadersTooLarge},
      {server.url("/huge-header"), ErrorCode::HeadersTooLarge},
      {server.url("/redirect-loop"), ErrorCode::TooManyRedirects},
      {server.url("/metaint/abc/sine1k.mp3"), ErrorCode::BadIcyMetaint},
      {server.url("/metaint/-5/sine1k.mp3"), ErrorCode::BadIcyMetaint},
      {server.url("/metaint/99999999999/sine1k.mp3"), ErrorCode::BadIcyMetaint},
      {server.url("/close/sine1k.mp3?after=0"), ErrorCode::ClosedEarly},
      {server.url("/playlist/self.pls"), ErrorCode::UnsupportedFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const auto start = std::chrono::steady_clock::now();
    const engine::Handle stream = engine::streamCreateUrl(c.url.c_str(), 0, nullptr, nullptr);
    EXPECT_EQ(stream, 0u);
    EXPECT_EQ(engine::errorGetCode(), c.expected) << engine::errorName(engine::errorGetCode());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  }
  ASSERT_TRUE(engine::setConfig(engine::Config::NetTimeoutMs, 10000));

  // A proxy that refuses is told apart from a server that refuses; clearing it connects directly.
  ASSERT_TRUE(engine::setProxy("user:secret@127.0.0.1:1"));
  EXPECT_EQ(engine::streamCreateUrl(server.url("/file/sine1k.mp3").c_str(), 0, nullptr, nullptr), 0u);
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::ProxyRefused);
  ASSERT_TRUE(engine::setProxy(nullptr));
  const engine::Handle direct = engine::streamCreateUrl(server.url("/file/sine1k.mp3").c_str(), 0, nullptr, nullptr);
  EXPECT_NE(direct, 0u) << engine::errorName(engine::errorGetCode());
  EXPECT_TRUE(engine::streamFree(direct));
}

// Servers that bend the rules but still send audio are played.
TEST(HostileServers, OddButPlayableAnswersPlay) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Session session;
  ASSERT_TRUE(session.ok);
  for (const char* path : {"/redirect/3/sine1k.mp3", "/metaint/0/sine1k.mp3", "/meta-past-data/sine1k.mp3"}) {
    SCOPED_TRACE(path);
    const engine::Handle stream = engine::streamCreateUrl(server.url(path).c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    SyncLog syncs;
    syncs.attach(stream);
    ASSERT_TRUE(engine::channelPlay(stream));
    EXPECT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
    if (std::string_view(path).starts_with("/meta-past-data")) {
      // One block of audio, then metadata that promises more than the server sends: the stream ends.
      EXPECT_TRUE(syncs.waitFor(engine::SyncType::End, 1, 5s));
      EXPECT_TRUE(syncs.events(engine::SyncType::Meta).empty());
    }
    EXPECT_TRUE(engine::streamFree(stream));
  }
}

}  // namespace
