// The equalizer and reverb of a stream, measured where the listener hears them: white noise from
// the local server, played through the real output into SDL's disk driver. A play with effects is
// compared sample by sample with a play of the same lossless file without them.

#include "engine_test_support.h"
#include "signal_measure.h"
#include "stream_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <span>
#include <vector>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;
namespace ts = qv::test_signal;

constexpr int kRateHz = 44100;  // the file's rate too, so no resampling stands between them
constexpr double kNoiseSeconds = 1.5;
// Effects act on audio decoded after they are set; the first buffer-full was decoded before.
constexpr std::uint32_t kBufferMs = 200;
constexpr double kMeasureFromSeconds = 0.5;

//! One play of noise_burst.flac, left channel, from its first sample on. `setUp` adds effects
//! right after the stream is created.
std::vector<float> playNoiseBurst(const std::function<void(engine::Handle)>& setUp) {
  StreamServer server;
  EXPECT_TRUE(server.ok()) << server.error();
  Capture capture;
  std::vector<float> left;
  {
    Session session(-1, kRateHz);
    EXPECT_TRUE(session.ok);
    EXPECT_TRUE(engine::setConfig(engine::Config::BufferMs, kBufferMs));
    const engine::Handle stream =
        engine::streamCreateUrl(server.url("/file/noise_burst.flac").c_str(), 0, nullptr, nullptr);
    EXPECT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    if (stream == 0) {
      return {};
    }
    setUp(stream);
    SyncLog syncs;
    syncs.attach(stream);
    EXPECT_TRUE(engine::channelPlay(stream));
    EXPECT_TRUE(syncs.waitFor(engine::SyncType::End, 1, 10s));
    engine::streamFree(stream);
  }
  left = ts::channelOf(capture.samples(), 2, 0);
  // The output runs from the first play; the stream's first sample follows exact silence.
  const auto first = std::find_if(left.begin(), left.end(), [](float sample) { return sample != 0.0f; });
  left.erase(left.begin(), first);
  return left;
}

std::span<const float> seconds(const std::vector<float>& samples, double from, double to) {
  const auto begin = static_cast<std::size_t>(from * kRateHz);
  const auto end = std::min(samples.size(), static_cast<std::size_t>(to * kRateHz));
  return begin < end ? std::span<const float>(samples).subspan(begin, end - begin) : std::span<const float>{};
}

class Effects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dry = new std::vector<float>(playNoiseBurst([](engine::Handle) {}));
  }
  static void TearDownTestSuite() {
    delete s_dry;
    s_dry = nullptr;
  }
  static const std::vector<float>& dry() { return *s_dry; }

 private:
  static std::vector<float>* s_dry;
};
std::vector<float>* Effects::s_dry = nullptr;

TEST_F(Effects, EqualizerBandLiftsItsCentreAndLeavesTwoOctavesAwayAlone) {
  ASSERT_GT(dry().size(), static_cast<std::size_t>(kNoiseSeconds * kRateHz));
  const auto wet = playNoiseBurst([](engine::Handle stream) {
    const engine::Handle fx = engine::channelSetFx(stream, engine::EffectType::ParametricEq, 0);
    ASSERT_NE(fx, 0u) << engine::errorName(engine::errorGetCode());
    ASSERT_TRUE(engine::fxSetParameters(fx, qv::dsp::ParametricEqParameters{1000.0f, 12.0f, 15.0f}));
  });
  const auto input = seconds(dry(), kMeasureFromSeconds, kNoiseSeconds);
  const auto output = seconds(wet, kMeasureFromSeconds, kNoiseSeconds);
  ASSERT_EQ(input.size(), output.size());
  EXPECT_NEAR(ts::gainAtDb(input, output, kRateHz, 1000.0), 15.0, 1.0);
  // A one-octave (12-semitone) band's skirt still lifts two octaves away by a little: under 1 dB.
  EXPECT_NEAR(ts::gainAtDb(input, output, kRateHz, 250.0), 0.0, 1.0);
  EXPECT_NEAR(ts::gainAtDb(input, output, kRateHz, 4000.0), 0.0, 1.0);
}

TEST_F(Effects, ReverbWithItsMixOffLeavesTheSignalAsItWas) {
  const auto wet = playNoiseBurst([](engine::Handle stream) {
    const engine::Handle fx = engine::channelSetFx(stream, engine::EffectType::Reverb, 0);
    ASSERT_NE(fx, 0u);
    ASSERT_TRUE(engine::fxSetParameters(fx, qv::dsp::ReverbParameters{0.0f, -96.0f, 1000.0f, 1.0f}));
  });
  const auto input = seconds(dry(), kMeasureFromSeconds, kNoiseSeconds + 0.5);
  const auto output = seconds(wet, kMeasureFromSeconds, kNoiseSeconds + 0.5);
  ASSERT_EQ(input.size(), output.size());
  ASSERT_FALSE(input.empty());
  EXPECT_LT(ts::levelDb(ts::difference(output, input), input), -80.0);
}

TEST_F(Effects, ReverbTailDecaysAtTheReverbTime) {
  for (const float reverbMs : {300.0f, 800.0f}) {
    const auto wet = playNoiseBurst([reverbMs](engine::Handle stream) {
      const engine::Handle fx = engine::channelSetFx(stream, engine::EffectType::Reverb, 0);
      ASSERT_NE(fx, 0u);
      ASSERT_TRUE(engine::fxSetParameters(fx, qv::dsp::ReverbParameters{0.0f, 0.0f, reverbMs, 1.0f}));
    });
    // The noise has stopped: whatever is heard now is the tail.
    const auto tail = seconds(wet, kNoiseSeconds, kNoiseSeconds + 1.0);
    ASSERT_FALSE(tail.empty());
    EXPECT_GT(ts::rms(tail), 1e-4) << "a tail follows the noise";
    const double decay = ts::decayTimeSeconds(ts::bandPassed(tail, kRateHz, 1000.0), kRateHz);
    EXPECT_NEAR(decay, reverbMs / 1000.0, reverbMs / 1000.0 * 0.25) << "reverb time " << reverbMs << " ms";
  }
}

TEST_F(Effects, HandlesAreCheckedAndFreedWithTheirStream) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Session session;
  ASSERT_TRUE(session.ok);
  const engine::Handle stream = engine::streamCreateUrl(server.url("/file/sine1k.mp3").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u);
  const engine::Handle eq = engine::channelSetFx(stream, engine::EffectType::ParametricEq, 2);
  const engine::Handle reverb = engine::channelSetFx(stream, engine::EffectType::Reverb, 1);
  ASSERT_NE(eq, 0u);
  ASSERT_NE(reverb, 0u);
  EXPECT_NE(eq, reverb);

  qv::dsp::ParametricEqParameters band{};
  ASSERT_TRUE(engine::fxGetParameters(eq, &band));
  EXPECT_EQ(band.gainDb, 0.0f) << "a new band is neutral";
  ASSERT_TRUE(engine::fxSetParameters(eq, qv::dsp::ParametricEqParameters{250.0f, 6.0f, -8.0f}));
  ASSERT_TRUE(engine::fxGetParameters(eq, &band));
  EXPECT_EQ(band.centerHz, 250.0f);
  EXPECT_EQ(band.gainDb, -8.0f);

  struct Refusal {
    const char* what;
    std::function<bool()> call;
    engine::ErrorCode code;
  };
  const Refusal refusals[] = {
      {"reverb record to a band", [&] { return engine::fxSetParameters(eq, qv::dsp::ReverbParameters{}); },
       engine::ErrorCode::BadParameter},
      {"band record from a reverb",
       [&] {
         qv::dsp::ParametricEqParameters p{};
         return engine::fxGetParameters(reverb, &p);
       },
       engine::ErrorCode::BadParameter},
      {"gain out of range",
       [&] {
         return engine::fxSetParameters(eq, qv::dsp::ParametricEqParameters{1000.0f, 12.0f, 16.0f});
       },
       engine::ErrorCode::BadParameter},
      {"NaN centre",
       [&] {
         return engine::fxSetParameters(eq, qv::dsp::ParametricEqParameters{std::nanf(""), 12.0f, 0.0f});
       },
       engine::ErrorCode::BadParameter},
      {"reverb time out of range",
       [&] {
         return engine::fxSetParameters(reverb, qv::dsp::ReverbParameters{0.0f, 0.0f, 5000.0f, 0.5f});
       },
       engine::ErrorCode::BadParameter},
      {"null record",
       [&] { return engine::fxGetParameters(eq, static_cast<qv::dsp::ParametricEqParameters*>(nullptr)); },
       engine::ErrorCode::BadParameter},
      {"unknown effect", [&] { return engine::fxSetParameters(eq + reverb + 100, qv::dsp::ReverbParameters{}); },
       engine::ErrorCode::BadHandle},
      {"effect removed through another stream's handle", [&] { return engine::channelRemoveFx(stream + 1, eq); },
       engine::ErrorCode::BadHandle},
  };
  for (const Refusal& refusal : refusals) {
    EXPECT_FALSE(refusal.call()) << refusal.what;
    EXPECT_EQ(engine::errorGetCode(), refusal.code) << refusal.what;
  }
  ASSERT_TRUE(engine::fxGetParameters(eq, &band));
  EXPECT_EQ(band.gainDb, -8.0f) << "a refused change changes nothing";

  EXPECT_TRUE(engine::channelRemoveFx(stream, reverb));
  EXPECT_FALSE(engine::channelRemoveFx(stream, reverb));
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);

  ASSERT_TRUE(engine::streamFree(stream));
  EXPECT_FALSE(engine::fxGetParameters(eq, &band));
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle) << "effects are freed with their stream";
  EXPECT_EQ(engine::channelSetFx(stream, engine::EffectType::Reverb, 0), 0u);
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);
}

}  // namespace
