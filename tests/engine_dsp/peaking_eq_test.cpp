#include "effect_chain.h"
#include "render.h"
#include "signal_measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>

namespace {

using qv::dsp::EffectChain;
using qv::dsp::EffectError;
using qv::dsp::ParametricEqParameters;
using qv::dsp::testing::OneBand;
using qv::dsp::testing::render;
namespace measure = qv::test_signal;

// Gain of a steady sine through one band, measured on the second half so the filter has settled.
double sineGainDb(double sampleRate, const ParametricEqParameters& band, double frequency) {
  OneBand chain(sampleRate, 1, band);
  const std::vector<float> input = measure::sine(static_cast<std::size_t>(sampleRate), frequency, sampleRate, 0.1f);
  const std::vector<float> output = render(chain.chain, input, 1);
  const std::size_t half = input.size() / 2;
  return measure::levelDb(std::span(output).subspan(half), std::span(input).subspan(half));
}

// A whole number as a test name's part: "15", "Minus15".
std::string numberName(float value) {
  const long rounded = std::lround(value);
  return (rounded < 0 ? "Minus" : "") + std::to_string(std::labs(rounded));
}

struct BandCase {
  float centerHz;
  float semitones;
  float gainDb;
  double twoOctavesAwayMaxDb;  // the band's skirt: about 1.6 dB for 18 semitones, under 1 dB for 12
};

class PeakingEqBandShape : public ::testing::TestWithParam<BandCase> {};

TEST_P(PeakingEqBandShape, FullGainAtTheCentreAndLittleTwoOctavesAway) {
  const BandCase band = GetParam();
  const double rate = 48000.0;
  const ParametricEqParameters parameters{band.centerHz, band.semitones, band.gainDb};

  EXPECT_NEAR(sineGainDb(rate, parameters, band.centerHz), band.gainDb, 1.0);
  for (const double away : {band.centerHz / 4.0, band.centerHz * 4.0}) {
    if (away < 0.45 * rate) {
      const double gain = sineGainDb(rate, parameters, away);
      EXPECT_LT(std::fabs(gain), band.twoOctavesAwayMaxDb) << "at " << away << " Hz";
      EXPECT_GT(gain * band.gainDb, 0.0) << "the skirt lies on the side of the gain, at " << away << " Hz";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Bands, PeakingEqBandShape,
                         ::testing::Values(BandCase{60.0f, 18.0f, 15.0f, 2.0}, BandCase{1000.0f, 18.0f, 15.0f, 2.0},
                                           BandCase{1000.0f, 18.0f, -15.0f, 2.0}, BandCase{3500.0f, 18.0f, 15.0f, 2.0},
                                           BandCase{1000.0f, 12.0f, 15.0f, 1.0}, BandCase{1000.0f, 18.0f, 6.0f, 1.0}),
                         [](const ::testing::TestParamInfo<BandCase>& row) {
                           return "Hz" + numberName(row.param.centerHz) + "_Semitones" +
                                  numberName(row.param.semitones) + "_Gain" + numberName(row.param.gainDb);
                         });

TEST(PeakingEq, NoiseAnalysedInBandsShowsTheBoostAtTheCentreOnly) {
  const double rate = 44100.0;
  OneBand chain(rate, 2, {1000.0f, 18.0f, 15.0f});
  const std::vector<float> input = measure::whiteNoise(2 * 88200, 0.1f);
  const std::vector<float> output = render(chain.chain, input, 2, 1024);

  for (int channel = 0; channel < 2; ++channel) {
    const std::vector<float> in = measure::channelOf(input, 2, channel);
    const std::vector<float> out = measure::channelOf(output, 2, channel);
    EXPECT_NEAR(measure::gainAtDb(in, out, rate, 1000.0), 15.0, 1.0) << "channel " << channel;
    EXPECT_NEAR(measure::gainAtDb(in, out, rate, 250.0), 0.0, 2.0) << "channel " << channel;
    EXPECT_NEAR(measure::gainAtDb(in, out, rate, 4000.0), 0.0, 2.0) << "channel " << channel;
  }
}

TEST(PeakingEq, BandsAtZeroDbLeaveTheSignalExactlyUnchanged) {
  EffectChain chain;
  ASSERT_EQ(chain.setFormat(44100.0, 2), EffectError::none);
  for (const float center : {60.0f, 250.0f, 1000.0f, 3500.0f, 8000.0f, 16000.0f}) {
    ASSERT_EQ(chain.setParameters(chain.addParametricEq(1), ParametricEqParameters{center, 18.0f, 0.0f}),
              EffectError::none);
  }
  const std::vector<float> input = measure::whiteNoise(2 * 44100, 0.5f);
  EXPECT_EQ(render(chain, input, 2), input);
}

TEST(PeakingEq, ChannelsAreFilteredIndependently) {
  const ParametricEqParameters band{250.0f, 18.0f, 12.0f};
  const std::vector<float> left = measure::whiteNoise(48000, 0.3f, 7);
  const std::vector<float> right = measure::sine(48000, 3000.0, 48000.0, 0.3f);
  std::vector<float> stereo;
  for (std::size_t i = 0; i < left.size(); ++i) {
    stereo.push_back(left[i]);
    stereo.push_back(right[i]);
  }

  OneBand stereoChain(48000.0, 2, band);
  const std::vector<float> output = render(stereoChain.chain, stereo, 2);
  OneBand leftChain(48000.0, 1, band);
  OneBand rightChain(48000.0, 1, band);
  EXPECT_EQ(measure::channelOf(output, 2, 0), render(leftChain.chain, left, 1));
  EXPECT_EQ(measure::channelOf(output, 2, 1), render(rightChain.chain, right, 1));
}

TEST(PeakingEq, CentreAtOrAboveTheNyquistFrequencyIsHeldBelowIt) {
  for (const double rate : {8000.0, 22050.0, 32000.0}) {
    OneBand chain(rate, 1, {16000.0f, 18.0f, 15.0f});
    const std::vector<float> input = measure::whiteNoise(static_cast<std::size_t>(rate), 0.1f);
    const std::vector<float> output = render(chain.chain, input, 1);
    ASSERT_TRUE(measure::allFiniteWithin(output, 10.0f)) << rate << " Hz";
    EXPECT_NEAR(measure::gainAtDb(input, output, rate, 0.45 * rate), 15.0, 1.0) << rate << " Hz";
  }
}

// Largest change between neighbouring samples in [from, to).
float largestStep(const std::vector<float>& samples, std::size_t from, std::size_t to) {
  float largest = 0.0f;
  for (std::size_t i = from; i < to; ++i) {
    largest = std::max(largest, std::fabs(samples[i] - samples[i - 1]));
  }
  return largest;
}

class PeakingEqGainChange : public ::testing::TestWithParam<float> {};

TEST_P(PeakingEqGainChange, ContinuesTheSignalWithoutAJump) {
  const float newGainDb = GetParam();
  const double rate = 48000.0;
  OneBand chain(rate, 1, {1000.0f, 18.0f, 15.0f});
  // Started a quarter period early, so that the change falls on a peak of the boosted sine.
  std::vector<float> input = measure::sine(48012, 1000.0, rate, 0.5f);
  input.erase(input.begin(), input.begin() + 12);
  std::vector<float> samples = input;
  const std::size_t block = 480;
  const std::size_t changeAt = 24000;
  for (std::size_t start = 0; start < samples.size(); start += block) {
    if (start == changeAt) {
      ASSERT_EQ(chain.chain.setParameters(chain.band, ParametricEqParameters{1000.0f, 18.0f, newGainDb}),
                EffectError::none);
    }
    chain.chain.process(samples.data() + start, block, 1);
  }

  const float steadyBefore = largestStep(samples, changeAt - 4800, changeAt);
  const float acrossChange = largestStep(samples, changeAt, changeAt + 2 * block);
  EXPECT_LT(acrossChange, 1.5f * steadyBefore) << "a restarted filter jumps from the boosted level";
  const std::span settled = std::span(samples).subspan(40000);
  const std::span settledInput = std::span(input).subspan(40000);
  EXPECT_NEAR(measure::levelDb(settled, settledInput), newGainDb, 1.0);
  if (newGainDb == 0.0f) {
    EXPECT_TRUE(std::equal(settled.begin(), settled.end(), settledInput.begin()))
        << "once the boost has died away, a band at 0 dB passes the signal exactly";
  }
}

INSTANTIATE_TEST_SUITE_P(NewGains, PeakingEqGainChange, ::testing::Values(9.0f, 0.0f, -15.0f),
                         [](const ::testing::TestParamInfo<float>& row) { return "Gain" + numberName(row.param); });

}  // namespace
