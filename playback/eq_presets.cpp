#include "eq_presets.h"

#include <algorithm>
#include <cmath>

namespace qv::playback {

float bandGainDb(int position) {
  return static_cast<float>(kBandPositionFlat - position);
}

int bandPositionForGain(float gainDb) {
  return std::clamp(kBandPositionFlat - static_cast<int>(std::lround(gainDb)), 0, kBandPositionMax);
}

float reverbMixDb(int position) {
  const double p = position;
  return static_cast<float>(-0.012 * p * p * p);
}

const std::array<EqPreset, kEqPresetCount>& eqPresets() {
  // Slider positions, not decibels: the top of a slider is the boost.
  static constexpr std::array<EqPreset, kEqPresetCount> kPresets{{
      {"Custom", std::nullopt},
      {"Flat", BandPositions{15, 15, 15, 15, 15, 15}},
      {"News/Podcasts", BandPositions{20, 20, 15, 5, 15, 15}},
      {"Classical", BandPositions{15, 15, 15, 10, 15, 15}},
      {"Club", BandPositions{15, 10, 5, 10, 15, 15}},
      {"Dance", BandPositions{15, 10, 10, 10, 15, 15}},
      {"Bass", BandPositions{10, 5, 10, 15, 20, 20}},
      {"Bass and Treble", BandPositions{10, 5, 10, 20, 10, 10}},
      {"Treble", BandPositions{15, 15, 15, 15, 10, 10}},
      {"Headphones", BandPositions{12, 10, 17, 15, 10, 5}},
      {"Hall", BandPositions{15, 10, 15, 15, 20, 20}},
      {"Live", BandPositions{20, 15, 10, 12, 12, 11}},
      {"Party", BandPositions{10, 10, 15, 15, 10, 10}},
      {"Pop", BandPositions{17, 10, 5, 13, 17, 17}},
      {"Reggae", BandPositions{15, 15, 18, 12, 15, 15}},
      {"Rock", BandPositions{10, 10, 20, 15, 10, 10}},
      {"Ska", BandPositions{18, 18, 15, 12, 8, 10}},
      {"Soft", BandPositions{10, 11, 18, 12, 10, 5}},
      {"Techno", BandPositions{10, 10, 20, 10, 10, 5}},
  }};
  return kPresets;
}

std::vector<BandMove> presetMoves(int index, const BandPositions& current) {
  if (index < 0 || index >= kEqPresetCount || !eqPresets()[index].positions) {
    return {};
  }
  const BandPositions& target = *eqPresets()[index].positions;
  std::vector<BandMove> moves;
  for (int band = 0; band < kEqBandCount; ++band) {
    if (target[band] != current[band]) {
      moves.push_back({band, target[band]});
    }
  }
  return moves;
}

}  // namespace qv::playback
