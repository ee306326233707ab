#include "engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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
  for (const int rate : {100, -1, 384001}) {
    EXPECT_FALSE(engine::init(-1, rate)) << rate;
    EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadParameter) << rate;
  }
  EXPECT_EQ(engine::outputGetRate(), 0);
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::NotInitialised);
  EXPECT_FALSE(engine::init(99, 44100));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadDevice);
  ASSERT_TRUE(engine::init(-1, 48000));
  EXPECT_FALSE(engine::init(-1, 48000));
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::AlreadyInitialised);
  EXPECT_TRUE(engine::release());
  // Set-up and release may follow each other any number of times. Without an output there is no
  // device to follow: the automatic rate is the engine's 48 kHz.
  ASSERT_TRUE(engine::init(0, 44100));
  EXPECT_EQ(engine::outputGetRate(), 44100);
  EXPECT_TRUE(engine::release());
  ASSERT_TRUE(engine::init(0, engine::kAutomaticRate));
  EXPECT_EQ(engine::outputGetRate(), 48000);
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

// A start volume or effect out of range is refused before any connection is tried.
TEST(EngineApi, AStreamStartOutOfRangeIsRefusedBeforeConnecting) {
  ASSERT_TRUE(engine::init(0, 44100));
  const char* url = "http://127.0.0.1:1/x.mp3";  // nothing listens there: a connection would fail with 10
  engine::StartEffect loudBand{engine::EffectType::ParametricEq, 1, {1000.0f, 18.0f, 20.0f}, {}};
  engine::StartEffect longReverb{engine::EffectType::Reverb, 1, {}, {}};
  longReverb.reverb.reverbTimeMs = 5000.0f;
  struct Case {
    const char* name;
    engine::StreamStart start;
  };
  const qv::dsp::LevellingParameters noGain{true, -16.0f, std::nanf("")};
  const qv::dsp::LevellingParameters noTarget{true, std::numeric_limits<float>::infinity(), 0.0f};
  const Case cases[] = {
      {"volume above 1", {1.5f, nullptr, 0, nullptr, {}, {}}},
      {"volume below 0", {-0.1f, nullptr, 0, nullptr, {}, {}}},
      {"no effect records", {1.0f, nullptr, 1, nullptr, {}, {}}},
      {"band gain +20 dB", {1.0f, &loudBand, 1, nullptr, {}, {}}},
      {"reverb time 5 s", {1.0f, &longReverb, 1, nullptr, {}, {}}},
      {"learned gain not a number", {1.0f, nullptr, 0, nullptr, {}, noGain}},
      {"endless levelling target", {1.0f, nullptr, 0, nullptr, {}, noTarget}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine::streamCreateUrlWith(url, 0, nullptr, nullptr, c.start), 0u) << c.name;
    EXPECT_EQ(engine::errorGetCode(), ErrorCode::BadParameter) << c.name;
  }
  engine::Handle handle = 7;
  const engine::StartEffect band{engine::EffectType::ParametricEq, 1, {1000.0f, 18.0f, 6.0f}, {}};
  EXPECT_EQ(engine::streamCreateUrlWith(url, 0, nullptr, nullptr, {0.5f, &band, 1, &handle, {}, {}}), 0u);
  EXPECT_EQ(engine::errorGetCode(), ErrorCode::ConnectFailed);
  EXPECT_EQ(handle, 7u) << "no handle is given out for a stream that was not opened";
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
