#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

//! The equalizer's rules: the six bands, the slider ↔ gain mapping, the reverb curve and the presets.
namespace qv::playback {

inline constexpr int kEqBandCount = 6;
using BandPositions = std::array<int, kEqBandCount>;

//! Band centres in Hz, band 1 to 6; each band is 18 semitones wide.
inline constexpr std::array<float, kEqBandCount> kEqBandCentresHz{60.0F, 250.0F, 1000.0F, 3500.0F, 8000.0F, 16000.0F};
inline constexpr float kEqBandwidthSemitones = 18.0F;

//! Band sliders run 0..30 with 0 at the top (the boost) and start at 15 (0 dB).
inline constexpr int kBandPositionMax = 30;
inline constexpr int kBandPositionFlat = 15;
//! The reverb slider runs 0..20 and starts at 20 (no reverb).
inline constexpr int kReverbPositionMax = 20;
inline constexpr int kReverbPositionStart = 20;

//! A new stream's reverb: mix at the minimum, time and high-frequency ratio fixed.
inline constexpr float kReverbMixOffDb = -96.0F;
inline constexpr float kReverbTimeMs = 1200.0F;
inline constexpr float kReverbHighFreqRatio = 0.1F;

//! Gain in dB of a band slider's position: 15 − position (top +15 dB, bottom −15 dB).
float bandGainDb(int position);
//! The slider position that gives `gainDb`, rounded and clamped to the slider's range.
int bandPositionForGain(float gainDb);

//! Reverb mix in dB of the reverb slider's position p: −0.012 × p³ (20 → −96, 10 → −12, 0 → 0).
float reverbMixDb(int position);

struct EqPreset {
  std::string_view name;
  std::optional<BandPositions> positions;  // none for "Custom"
};

inline constexpr int kCustomPresetIndex = 0;
inline constexpr int kFlatPresetIndex = 1;
inline constexpr int kEqPresetCount = 19;

//! The preset list in its order: "Custom" first (it moves no slider), then the 18 named presets.
//! The names are fixed, not translated.
const std::array<EqPreset, kEqPresetCount>& eqPresets();

struct BandMove {
  int band = 0;  // 0-based band index
  int position = 0;

  friend bool operator==(const BandMove&, const BandMove&) = default;
};

//! The slider moves that choosing preset `index` makes from the positions `current`, in band order:
//! only the bands whose position changes (a slider set to its own position fires nothing, so that
//! band's effect is not rewritten). None for "Custom", for no selection (-1) or an unknown index.
std::vector<BandMove> presetMoves(int index, const BandPositions& current);

}  // namespace qv::playback
