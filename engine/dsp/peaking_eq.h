#pragma once

#include "effect_parameters.h"

#include <cstddef>
#include <vector>

namespace qv::dsp {

//! Coefficients of one biquad section, already divided by a0.
struct BiquadCoefficients {
  double b0 = 1.0;
  double b1 = 0.0;
  double b2 = 0.0;
  double a1 = 0.0;
  double a2 = 0.0;
};

//! True for the coefficients of a 0 dB band, which leave the signal unchanged.
inline bool isIdentity(const BiquadCoefficients& c) {
  return c.b0 == 1.0 && c.b1 == c.a1 && c.b2 == c.a2;
}

//! Highest centre frequency used, as a share of the sample rate: the band's width formula
//! diverges towards the Nyquist frequency, so a centre above this is held here.
inline constexpr double kMaxCenterShareOfSampleRate = 0.45;

//! The peaking filter of the audio-EQ cookbook; bandwidth in octaves is semitones / 12.
//! Parameters must have passed validate(); sampleRate must be a valid format rate.
BiquadCoefficients peakingEqCoefficients(const ParametricEqParameters& parameters, double sampleRate);

//! The filter memory of one equalizer band, one history per channel. Kept across coefficient
//! changes so that a new setting continues the signal instead of restarting the filter.
class PeakingEqState {
 public:
  explicit PeakingEqState(int channels);

  //! Filters interleaved samples in place. `channels` must be the count given at construction.
  void process(float* interleaved, std::size_t frames, const BiquadCoefficients& coefficients) noexcept;

 private:
  struct History {
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
  };
  static double step(const BiquadCoefficients& coefficients, History& history, double x) noexcept;
  //! True while every channel's past output equals its past input (to -200 dB), as after
  //! silence or some time at 0 dB.
  bool outputFollowsInput() const noexcept;

  std::vector<History> m_history;
};

}  // namespace qv::dsp
