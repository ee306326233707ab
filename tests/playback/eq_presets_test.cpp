#include "eq_presets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pb = qv::playback;

namespace {

constexpr pb::BandPositions kFlat{15, 15, 15, 15, 15, 15};

TEST(EqPresets, ChoosingAPresetMovesOnlyTheBandsThatChange) {
  const std::vector<pb::BandMove> bass = pb::presetMoves(6, kFlat);
  ASSERT_EQ(pb::eqPresets()[6].name, "Bass");
  EXPECT_EQ(bass, (std::vector<pb::BandMove>{{0, 10}, {1, 5}, {2, 10}, {4, 20}, {5, 20}})) << "band 4 stays";
  std::vector<float> gains;
  for (const pb::BandMove& move : bass) {
    gains.push_back(pb::bandGainDb(move.position));
  }
  EXPECT_EQ(gains, (std::vector<float>{5.0F, 10.0F, 5.0F, -5.0F, -5.0F}));

  EXPECT_TRUE(pb::presetMoves(pb::kFlatPresetIndex, kFlat).empty()) << "Flat over flat changes nothing";
  EXPECT_EQ(pb::presetMoves(pb::kFlatPresetIndex, {15, 15, 3, 15, 15, 30}),
            (std::vector<pb::BandMove>{{2, 15}, {5, 15}}));
  for (const int none : {pb::kCustomPresetIndex, -1, pb::kEqPresetCount}) {
    EXPECT_TRUE(pb::presetMoves(none, {1, 2, 3, 4, 5, 6}).empty()) << none;
  }
}

TEST(EqPresets, TheListHoldsCustomAndEighteenNamedPresetsWithinTheSliderRange) {
  const auto& presets = pb::eqPresets();
  EXPECT_EQ(presets[pb::kCustomPresetIndex].name, "Custom");
  EXPECT_FALSE(presets[pb::kCustomPresetIndex].positions);
  EXPECT_EQ(presets[pb::kFlatPresetIndex].positions, kFlat);
  EXPECT_EQ(presets[9].name, "Headphones");
  EXPECT_EQ(presets[9].positions, (pb::BandPositions{12, 10, 17, 15, 10, 5}));
  EXPECT_EQ(presets[18].name, "Techno");
  EXPECT_EQ(presets[18].positions, (pb::BandPositions{10, 10, 20, 10, 10, 5}));
  std::set<std::string> names;
  for (std::size_t i = 1; i < presets.size(); ++i) {
    names.emplace(presets[i].name);
    ASSERT_TRUE(presets[i].positions) << presets[i].name;
    for (const int position : *presets[i].positions) {
      EXPECT_TRUE(position >= 0 && position <= pb::kBandPositionMax) << presets[i].name;
    }
  }
  EXPECT_EQ(names.size(), presets.size() - 1) << "names are distinct";
}

TEST(EqPresets, SliderPositionsMapToDecibels) {
  EXPECT_EQ(pb::bandGainDb(0), 15.0F);
  EXPECT_EQ(pb::bandGainDb(15), 0.0F);
  EXPECT_EQ(pb::bandGainDb(30), -15.0F);
  for (int position = 0; position <= pb::kBandPositionMax; ++position) {
    EXPECT_EQ(pb::bandPositionForGain(pb::bandGainDb(position)), position);
  }
  EXPECT_EQ(pb::bandPositionForGain(40.0F), 0);
  EXPECT_EQ(pb::bandPositionForGain(-40.0F), pb::kBandPositionMax);

  const std::pair<int, float> reverb[] = {{20, -96.0F}, {10, -12.0F}, {5, -1.5F}, {1, -0.012F}, {0, 0.0F}};
  for (const auto& [position, mixDb] : reverb) {
    EXPECT_FLOAT_EQ(pb::reverbMixDb(position), mixDb) << position;
  }
  EXPECT_EQ(pb::reverbMixDb(pb::kReverbPositionStart), pb::kReverbMixOffDb) << "the start position is no reverb";
}

}  // namespace
