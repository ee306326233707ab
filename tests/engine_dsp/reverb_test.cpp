#include "effect_chain.h"
#include "render.h"
#include "signal_measure.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace {

using qv::dsp::EffectChain;
using qv::dsp::EffectError;
using qv::dsp::EffectHandle;
using qv::dsp::ReverbParameters;
using qv::dsp::testing::render;
namespace measure = qv::test_signal;

constexpr double kRate = 48000.0;

struct OneReverb {
  OneReverb(int channels, const ReverbParameters& parameters) {
    chain.setFormat(kRate, channels);
    reverb = chain.addReverb(1);
    EXPECT_EQ(chain.setParameters(reverb, parameters), EffectError::none);
  }
  EffectChain chain;
  EffectHandle reverb;
};

std::size_t frames(double seconds) {
  return static_cast<std::size_t>(seconds * kRate);
}

TEST(Reverb, MixAtMinus96LeavesTheDrySignal) {
  const std::vector<float> dry = measure::whiteNoise(2 * frames(1.0), 0.5f);
  for (const ReverbParameters parameters :
       {ReverbParameters{0.0f, -96.0f, 1200.0f, 0.1f}, ReverbParameters{-10.0f, -96.0f, 3000.0f, 1.0f},
        ReverbParameters{0.0f, -96.0f, 1.0f, 0.001f}}) {
    OneReverb reverb(2, parameters);
    const std::vector<float> wet = render(reverb.chain, dry, 2);
    EXPECT_LT(measure::levelDb(measure::difference(wet, dry), dry), -80.0) << parameters.reverbTimeMs << " ms";
  }

  // Turned down after playing: the tail is gone after the block that fades it out.
  OneReverb reverb(2, {0.0f, 0.0f, 2000.0f, 0.5f});
  const std::vector<float> withTail = render(reverb.chain, dry, 2);
  ASSERT_GT(measure::levelDb(measure::difference(withTail, dry), dry), -10.0) << "the reverb was on";
  ASSERT_EQ(reverb.chain.setParameters(reverb.reverb, ReverbParameters{0.0f, -96.0f, 2000.0f, 0.5f}),
            EffectError::none);
  const std::vector<float> after = render(reverb.chain, dry, 2);
  const std::size_t fadeBlock = 2 * 480;
  const std::span afterFade = std::span(after).subspan(fadeBlock);
  const std::span dryAfterFade = std::span(dry).subspan(fadeBlock);
  EXPECT_LT(measure::levelDb(measure::difference(afterFade, dryAfterFade), dryAfterFade), -80.0);
}

class ReverbDecay : public ::testing::TestWithParam<float> {};

TEST_P(ReverbDecay, ImpulseTailFallsBy60DbInTheReverbTime) {
  const float reverbTimeMs = GetParam();
  OneReverb reverb(2, {0.0f, 0.0f, reverbTimeMs, 1.0f});
  std::vector<float> impulse(2 * frames(1.5 * reverbTimeMs / 1000.0 + 0.2), 0.0f);
  impulse[0] = 1.0f;
  impulse[1] = 1.0f;
  const std::vector<float> response = render(reverb.chain, impulse, 2);

  for (int channel = 0; channel < 2; ++channel) {
    const std::vector<float> tail =
        measure::channelOf(std::span(response).subspan(2), 2, channel);  // after the dry impulse
    EXPECT_NEAR(measure::decayTimeSeconds(tail, kRate) * 1000.0, reverbTimeMs, 0.2 * reverbTimeMs)
        << "channel " << channel;
  }
}

INSTANTIATE_TEST_SUITE_P(Times, ReverbDecay, ::testing::Values(500.0f, 1200.0f, 2500.0f),
                         [](const ::testing::TestParamInfo<float>& row) {
                           return "Ms" + std::to_string(static_cast<int>(row.param));
                         });

TEST(Reverb, ASettingChangeKeepsTheTail) {
  OneReverb reverb(2, {0.0f, 0.0f, 1200.0f, 0.5f});
  std::vector<float> samples(2 * frames(0.6), 0.0f);
  samples[0] = 1.0f;
  samples[1] = 1.0f;
  const std::size_t block = 2 * 480;
  const std::size_t changeAt = 2 * frames(0.3);
  for (std::size_t start = 0; start < samples.size(); start += block) {
    if (start == changeAt) {
      ASSERT_EQ(reverb.chain.setParameters(reverb.reverb, ReverbParameters{0.0f, 0.0f, 2000.0f, 0.6f}),
                EffectError::none);
    }
    reverb.chain.process(samples.data() + start, 480, 2);
  }
  const std::size_t window = 2 * frames(0.02);
  const std::span before = std::span(samples).subspan(changeAt - window, window);
  const std::span after = std::span(samples).subspan(changeAt, window);
  // The tail goes on: only its own decay over the window and the level scaling of the longer
  // time (about 2 dB here) lie between the two windows; a restarted reverb would fall silent.
  const double change = measure::levelDb(after, before);
  EXPECT_GT(change, -6.0);
  EXPECT_LT(change, 1.0);
}

// Decay time of one third-octave band of the impulse response, in seconds. (A tone burst would
// mislead: while it plays the combs ring in phase, and their drifting apart afterwards looks like
// a faster decay.)
double bandDecaySeconds(const ReverbParameters& parameters, double frequency) {
  OneReverb reverb(1, parameters);
  std::vector<float> impulse(frames(1.5 * parameters.reverbTimeMs / 1000.0 + 0.2), 0.0f);
  impulse[0] = 1.0f;
  const std::vector<float> response = render(reverb.chain, impulse, 1);
  const std::vector<float> band = measure::bandPassed(std::span(response).subspan(1), kRate, frequency, 1.0 / 3.0);
  return measure::decayTimeSeconds(band, kRate);
}

TEST(Reverb, HighFrequenciesDecayInTheirShareOfTheReverbTime) {
  const ReverbParameters damped{0.0f, 0.0f, 2000.0f, 0.25f};
  EXPECT_NEAR(bandDecaySeconds(damped, 150.0), 2.0, 0.4) << "low frequencies keep the reverb time";
  EXPECT_NEAR(bandDecaySeconds(damped, 8000.0), 0.5, 0.125) << "8 kHz decays in a quarter of it";

  const ReverbParameters undamped{0.0f, 0.0f, 2000.0f, 1.0f};
  EXPECT_NEAR(bandDecaySeconds(undamped, 8000.0), 2.0, 0.4);
}

// Level of the added tail on steady noise, relative to the dry noise, measured after 1 s.
double tailLevelDb(const ReverbParameters& parameters) {
  OneReverb reverb(2, parameters);
  const std::vector<float> dry = measure::whiteNoise(2 * frames(2.0), 0.25f);
  const std::vector<float> wet = render(reverb.chain, dry, 2);
  const std::size_t settled = 2 * frames(1.0);
  const std::vector<float> tail = measure::difference(std::span(wet).subspan(settled), std::span(dry).subspan(settled));
  return measure::levelDb(tail, std::span(dry).subspan(settled));
}

TEST(Reverb, MixAndInputGainSetTheTailLevelInDecibels) {
  for (const float reverbTimeMs : {300.0f, 3000.0f}) {
    EXPECT_NEAR(tailLevelDb({0.0f, 0.0f, reverbTimeMs, 1.0f}), 0.0, 4.0)
        << "at 0 dB the tail is about as loud as the input, whatever the time: " << reverbTimeMs << " ms";
  }
  const double full = tailLevelDb({0.0f, 0.0f, 1200.0f, 0.1f});
  EXPECT_NEAR(tailLevelDb({0.0f, -12.0f, 1200.0f, 0.1f}), full - 12.0, 0.1);
  EXPECT_NEAR(tailLevelDb({-20.0f, 0.0f, 1200.0f, 0.1f}), full - 20.0, 0.1);
  EXPECT_NEAR(tailLevelDb({-6.0f, -1.5f, 1200.0f, 0.1f}), full - 7.5, 0.1);
}

}  // namespace
