#pragma once

#include "effect_parameters.h"

#include <array>
#include <cstddef>
#include <vector>

namespace qv::dsp {

//! Shape of the reverb: per channel, parallel feedback comb filters with a low-pass in each loop,
//! then all-pass filters in series. Delay lengths are set for 48 kHz and scaled to the rate.
inline constexpr int kReverbCombCount = 8;
inline constexpr int kReverbAllpassCount = 4;

//! Delay of comb `comb` of channel `channel`, in frames. Each channel's delays are slightly longer
//! than the previous channel's, so that the channels' tails differ and sound wide.
int reverbCombDelayFrames(double sampleRate, int channel, int comb);
int reverbAllpassDelayFrames(double sampleRate, int channel, int allpass);

//! Everything the audio thread needs for one setting of the reverb, computed beforehand.
struct ReverbCoefficients {
  struct Comb {
    float feedback = 0.0f;  //!< loop gain at low frequencies: -60 dB after the reverb time
    float damping = 0.0f;   //!< pole of the loop's one-pole low-pass (0 = none)
  };
  float inputGain = 1.0f;   //!< linear
  float wetGain = 0.0f;     //!< linear, with the tail's level normalisation; exactly 0 when off
  std::vector<Comb> combs;  //!< channel-major: channel * kReverbCombCount + comb
};

//! Frequency at which the high-frequency decay time is reverbTime * highFreqRtRatio (held below
//! the Nyquist frequency at low sample rates).
inline constexpr double kReverbHighFrequencyHz = 8000.0;

//! Parameters must have passed validate(); the format must have passed validateFormat().
ReverbCoefficients reverbCoefficients(const ReverbParameters& parameters, double sampleRate, int channels);

//! Delay memories of one reverb. The audio thread alone touches it once it is published.
class ReverbState {
 public:
  ReverbState(double sampleRate, int channels);

  //! Adds the tail to interleaved samples in place; `coefficients` must be made for the same
  //! rate and channel count. Gain changes are ramped over the block; a reverb that is off costs
  //! nothing and leaves the samples untouched.
  void process(float* interleaved, std::size_t frames, const ReverbCoefficients& coefficients) noexcept;

 private:
  struct DelayLine {
    std::size_t offset = 0;  // into m_memory
    int length = 0;
    int position = 0;
  };
  struct CombLine : DelayLine {
    float lowPass = 0.0f;
  };

  void clear() noexcept;
  void processChannel(float* interleaved, std::size_t frames, int channel, const ReverbCoefficients& coefficients,
                      float inputGainStart, float inputGainStep, float wetGainStart, float wetGainStep) noexcept;

  int m_channels;
  std::vector<float> m_memory;
  std::vector<CombLine> m_combs;       // channel-major
  std::vector<DelayLine> m_allpasses;  // channel-major
  float m_appliedInputGain = 0.0f;
  float m_appliedWetGain = 0.0f;
  bool m_cleared = true;
};

}  // namespace qv::dsp
