#include "effect_chain.h"
#include "render.h"
#include "signal_measure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using qv::dsp::EffectChain;
using qv::dsp::EffectError;
using qv::dsp::EffectHandle;
using qv::dsp::kNoEffect;
using qv::dsp::ParametricEqParameters;
using qv::dsp::ReverbParameters;
using qv::dsp::testing::render;
namespace measure = qv::test_signal;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

bool sameEq(const ParametricEqParameters& a, const ParametricEqParameters& b) {
  return a.centerHz == b.centerHz && a.bandwidthSemitones == b.bandwidthSemitones && a.gainDb == b.gainDb;
}

bool sameReverb(const ReverbParameters& a, const ReverbParameters& b) {
  return a.inputGainDb == b.inputGainDb && a.reverbMixDb == b.reverbMixDb && a.reverbTimeMs == b.reverbTimeMs &&
         a.highFreqRtRatio == b.highFreqRtRatio;
}

TEST(EffectChain, EqualizerRecordsOutsideTheirRangesAreRefusedAndChangeNothing) {
  EffectChain chain;
  ASSERT_EQ(chain.setFormat(48000.0, 2), EffectError::none);
  const EffectHandle band = chain.addParametricEq(1);
  const ParametricEqParameters kept{250.0f, 18.0f, 3.0f};
  ASSERT_EQ(chain.setParameters(band, kept), EffectError::none);

  const ParametricEqParameters refused[] = {
      {19.9f, 18.0f, 0.0f},   {20001.0f, 18.0f, 0.0f},     {kNaN, 18.0f, 0.0f},     {1000.0f, 0.5f, 0.0f},
      {1000.0f, 37.0f, 0.0f}, {1000.0f, kInfinity, 0.0f},  {1000.0f, 18.0f, 15.1f}, {1000.0f, 18.0f, -15.1f},
      {1000.0f, 18.0f, kNaN}, {1000.0f, 18.0f, -kInfinity}};
  for (const ParametricEqParameters& parameters : refused) {
    EXPECT_EQ(chain.setParameters(band, parameters), EffectError::outOfRange)
        << parameters.centerHz << " Hz, " << parameters.bandwidthSemitones << " st, " << parameters.gainDb << " dB";
    ParametricEqParameters read;
    ASSERT_EQ(chain.getParameters(band, read), EffectError::none);
    EXPECT_TRUE(sameEq(read, kept));
  }

  for (const ParametricEqParameters& limits :
       {ParametricEqParameters{20.0f, 1.0f, -15.0f}, ParametricEqParameters{20000.0f, 36.0f, 15.0f}}) {
    EXPECT_EQ(chain.setParameters(band, limits), EffectError::none);
    ParametricEqParameters read;
    ASSERT_EQ(chain.getParameters(band, read), EffectError::none);
    EXPECT_TRUE(sameEq(read, limits));
  }
}

TEST(EffectChain, ReverbRecordsOutsideTheirRangesAreRefusedAndChangeNothing) {
  EffectChain chain;
  ASSERT_EQ(chain.setFormat(44100.0, 2), EffectError::none);
  const EffectHandle reverb = chain.addReverb(1);
  const ReverbParameters kept{-3.0f, -12.0f, 1200.0f, 0.1f};
  ASSERT_EQ(chain.setParameters(reverb, kept), EffectError::none);

  const ReverbParameters refused[] = {
      {0.5f, -12.0f, 1200.0f, 0.1f}, {-96.5f, -12.0f, 1200.0f, 0.1f}, {kNaN, -12.0f, 1200.0f, 0.1f},
      {0.0f, 0.1f, 1200.0f, 0.1f},   {0.0f, -97.0f, 1200.0f, 0.1f},   {0.0f, -kInfinity, 1200.0f, 0.1f},
      {0.0f, -12.0f, 0.0f, 0.1f},    {0.0f, -12.0f, 3001.0f, 0.1f},   {0.0f, -12.0f, kNaN, 0.1f},
      {0.0f, -12.0f, 1200.0f, 0.0f}, {0.0f, -12.0f, 1200.0f, 1.01f},  {0.0f, -12.0f, 1200.0f, kInfinity}};
  for (const ReverbParameters& parameters : refused) {
    EXPECT_EQ(chain.setParameters(reverb, parameters), EffectError::outOfRange)
        << parameters.inputGainDb << " dB in, " << parameters.reverbMixDb << " dB mix, " << parameters.reverbTimeMs
        << " ms, ratio " << parameters.highFreqRtRatio;
    ReverbParameters read;
    ASSERT_EQ(chain.getParameters(reverb, read), EffectError::none);
    EXPECT_TRUE(sameReverb(read, kept));
  }
}

TEST(EffectChain, RequestsNamingNoEffectOrTheWrongTypeFail) {
  EffectChain chain;
  const EffectHandle band = chain.addParametricEq(1);
  const EffectHandle reverb = chain.addReverb(1);
  ASSERT_NE(band, kNoEffect);
  ASSERT_NE(reverb, band);

  ParametricEqParameters eq;
  ReverbParameters reverbRecord;
  EXPECT_EQ(chain.setParameters(reverb, ParametricEqParameters{}), EffectError::wrongEffectType);
  EXPECT_EQ(chain.getParameters(band, reverbRecord), EffectError::wrongEffectType);
  EXPECT_EQ(chain.setParameters(kNoEffect, ParametricEqParameters{}), EffectError::unknownEffect);
  EXPECT_EQ(chain.getParameters(reverb + 1, reverbRecord), EffectError::unknownEffect);

  ASSERT_EQ(chain.remove(band), EffectError::none);
  EXPECT_EQ(chain.remove(band), EffectError::unknownEffect);
  EXPECT_EQ(chain.getParameters(band, eq), EffectError::unknownEffect);
  EXPECT_EQ(chain.setParameters(band, ParametricEqParameters{}), EffectError::unknownEffect);
  EXPECT_NE(chain.addParametricEq(1), band) << "a removed effect's handle is not given out again";
}

TEST(EffectChain, FreshEffectsAreNeutralAndReadBackTheirDefaults) {
  EffectChain chain;
  ASSERT_EQ(chain.setFormat(48000.0, 2), EffectError::none);
  const EffectHandle band = chain.addParametricEq(1);
  const EffectHandle reverb = chain.addReverb(1);
  ParametricEqParameters eq{1.0f, 1.0f, 1.0f};
  ReverbParameters reverbRecord{1.0f, 1.0f, 1.0f, 1.0f};
  ASSERT_EQ(chain.getParameters(band, eq), EffectError::none);
  ASSERT_EQ(chain.getParameters(reverb, reverbRecord), EffectError::none);
  EXPECT_TRUE(sameEq(eq, ParametricEqParameters{}));
  EXPECT_TRUE(sameReverb(reverbRecord, ReverbParameters{}));
  EXPECT_EQ(eq.gainDb, 0.0f);
  EXPECT_EQ(reverbRecord.reverbMixDb, -96.0f);

  const std::vector<float> input = measure::whiteNoise(2 * 48000, 0.5f);
  EXPECT_EQ(render(chain, input, 2), input);
}

enum class Kind { eq, reverb };
struct Added {
  Kind kind;
  int priority;
};
struct OrderCase {
  std::string name;
  std::vector<Added> adds;
  std::vector<std::size_t> expectedOrder;  // indices into adds
};

class EffectChainOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(EffectChainOrder, HigherPriorityFirstThenOrderOfAdding) {
  const OrderCase& order = GetParam();
  EffectChain chain;
  std::vector<EffectHandle> handles;
  for (const Added& added : order.adds) {
    handles.push_back(added.kind == Kind::eq ? chain.addParametricEq(added.priority) : chain.addReverb(added.priority));
  }
  EXPECT_TRUE(chain.processingOrder().empty()) << "nothing runs before the format is known";
  ASSERT_EQ(chain.setFormat(48000.0, 2), EffectError::none);

  std::vector<EffectHandle> expected;
  for (const std::size_t index : order.expectedOrder) {
    expected.push_back(handles[index]);
  }
  EXPECT_EQ(chain.processingOrder(), expected);

  // Changing parameters keeps the order; removing one keeps the others'.
  for (std::size_t i = 0; i < handles.size(); ++i) {
    if (order.adds[i].kind == Kind::eq) {
      ASSERT_EQ(chain.setParameters(handles[i], ParametricEqParameters{500.0f, 12.0f, 3.0f}), EffectError::none);
    } else {
      ASSERT_EQ(chain.setParameters(handles[i], ReverbParameters{0.0f, -6.0f, 800.0f, 0.5f}), EffectError::none);
    }
  }
  EXPECT_EQ(chain.processingOrder(), expected);
  ASSERT_EQ(chain.remove(expected[1]), EffectError::none);
  expected.erase(expected.begin() + 1);
  EXPECT_EQ(chain.processingOrder(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EffectChainOrder,
    ::testing::Values(
        // Six bands then the reverb, all of priority 1: applied as added.
        OrderCase{"EqualPriorities",
                  {{Kind::eq, 1},
                   {Kind::eq, 1},
                   {Kind::eq, 1},
                   {Kind::eq, 1},
                   {Kind::eq, 1},
                   {Kind::eq, 1},
                   {Kind::reverb, 1}},
                  {0, 1, 2, 3, 4, 5, 6}},
        OrderCase{"ReverbAddedLastRunsFirst", {{Kind::eq, 1}, {Kind::eq, 2}, {Kind::reverb, 5}}, {2, 1, 0}},
        OrderCase{"MixedAndNegative",
                  {{Kind::eq, 0}, {Kind::reverb, -3}, {Kind::eq, 7}, {Kind::eq, 0}, {Kind::reverb, 7}},
                  {2, 4, 0, 3, 1}}),
    [](const ::testing::TestParamInfo<OrderCase>& param) { return param.param.name; });

TEST(EffectChain, SamplesPassUnchangedWithoutAMatchingFormat) {
  EffectChain chain;
  const EffectHandle band = chain.addParametricEq(1);
  ASSERT_EQ(chain.setParameters(band, ParametricEqParameters{1000.0f, 18.0f, 15.0f}), EffectError::none);
  const std::vector<float> input = measure::sine(48000, 1000.0, 48000.0, 0.1f, 2);
  EXPECT_EQ(render(chain, input, 2), input) << "no format yet";

  for (const auto& [rate, channels] :
       {std::pair{0.0, 2}, std::pair{7999.0, 2}, std::pair{400000.0, 2}, std::pair{static_cast<double>(kNaN), 2},
        std::pair{48000.0, 0}, std::pair{48000.0, 17}}) {
    EXPECT_EQ(chain.setFormat(rate, channels), EffectError::invalidFormat) << rate << " Hz, " << channels;
  }
  EXPECT_EQ(render(chain, input, 2), input) << "an invalid format is not taken";

  // The parameters set before the format apply once it is known.
  ASSERT_EQ(chain.setFormat(48000.0, 2), EffectError::none);
  const std::vector<float> boosted = render(chain, input, 2);
  EXPECT_NEAR(measure::levelDb(std::span(boosted).subspan(48000), std::span(input).subspan(48000)), 15.0, 1.0);

  const std::vector<float> mono = measure::sine(4800, 1000.0, 48000.0, 0.1f, 1);
  EXPECT_EQ(render(chain, mono, 1), mono) << "a block of another channel count is not touched";
}

}  // namespace
