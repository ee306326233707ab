#include "engine.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

namespace engine = qv::engine;
using engine::ErrorCode;

TEST(EngineApi, EveryCallBeforeInitFailsWithNotInitialised) {
  EXPECT_EQ(engine::streamCreateUrl("http://127.0.0.1:1/", 0, nullptr, nullptr), 0u);
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::NotInitialised);
  EXPECT_FALSE(engine::channelPlay(1025));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::NotInitialised);
  EXPECT_FALSE(engine::release());
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::NotInitialised);
  EXPECT_EQ(engine::version() >> 16, engine::kVersionMajorMinor);
}

TEST(EngineApi, InitTwiceAndBadDevicesAreRefused) {
  EXPECT_FALSE(engine::init(-2, 44100));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadDevice);
  EXPECT_FALSE(engine::init(-1, 100));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadParameter);
  EXPECT_FALSE(engine::init(99, 44100));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadDevice);
  ASSERT_TRUE(engine::init(-1, 48000));
  EXPECT_FALSE(engine::init(-1, 48000));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::AlreadyInitialised);
  EXPECT_TRUE(engine::release());
  // Set-up and release may follow each other any number of times.
  ASSERT_TRUE(engine::init(0, 44100));
  EXPECT_TRUE(engine::release());
}

TEST(EngineApi, ConfigurationKeepsWhatIsSetAndRefusesWhatIsOutOfRange) {
  EXPECT_EQ(engine::getConfig(engine::Config::BufferMs), 500u);
  EXPECT_TRUE(engine::setConfig(engine::Config::BufferMs, 0));
  EXPECT_EQ(engine::getConfig(engine::Config::BufferMs), 0u);
  EXPECT_TRUE(engine::setConfig(engine::Config::BufferMs, 6000));
  EXPECT_EQ(engine::getConfig(engine::Config::BufferMs), 6000u);
  EXPECT_FALSE(engine::setConfig(engine::Config::BufferMs, 60001));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadParameter);
  EXPECT_EQ(engine::getConfig(engine::Config::BufferMs), 6000u);
  EXPECT_TRUE(engine::setConfig(engine::Config::BufferMs, 500));
  EXPECT_TRUE(engine::setConfig(engine::Config::PlaylistFollowing, 1));
  EXPECT_EQ(engine::getConfig(engine::Config::PlaylistFollowing), 1u);
  EXPECT_TRUE(engine::setConfig(engine::Config::PlaylistFollowing, 0));
  EXPECT_TRUE(engine::setProxy("user:pass@proxy.example:3128"));
  EXPECT_TRUE(engine::setProxy(nullptr));
}

TEST(EngineApi, UnknownHandlesAndUrlsFailCleanly) {
  ASSERT_TRUE(engine::init(0, 44100));
  for (engine::Handle handle : {0u, 1u, 1025u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(handle);
    EXPECT_FALSE(engine::streamFree(handle));
    EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadHandle);
    EXPECT_EQ(engine::channelIsActive(handle), engine::ChannelState::Stopped);
    EXPECT_EQ(engine::channelGetLevel(handle), 0xFFFFFFFFu);
    EXPECT_EQ(engine::channelGetTags(handle, engine::Tag::Meta), nullptr);
    EXPECT_EQ(engine::streamBufferingPercent(handle), -1);
    EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadHandle);
  }
  for (const char* url : {"", "ftp://127.0.0.1/x.mp3", "file:///etc/passwd", "127.0.0.1:80/x"}) {
    EXPECT_EQ(engine::streamCreateUrl(url, 0, nullptr, nullptr), 0u) << url;
    EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadUrl) << url;
  }
  EXPECT_TRUE(engine::release());
}

// Each thread sees its own last error.
TEST(EngineApi, ErrorCodesBelongToTheCallingThread) {
  ASSERT_TRUE(engine::init(0, 44100));
  EXPECT_FALSE(engine::channelPlay(7));
  ErrorCode other = ErrorCode::Unknown;
  std::thread([&] {
    engine::getConfig(engine::Config::BufferMs);
    other = engine::errorGetCode();
  }).join();
  EXPECT_EQ(other, ErrorCode::Ok);
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadHandle);
  EXPECT_TRUE(engine::release());
}

}  // namespace
