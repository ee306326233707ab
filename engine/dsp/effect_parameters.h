#pragma once

namespace qv::dsp {

//! Outcome of a request to an effect chain. Every failure leaves the chain as it was.
enum class EffectError {
  none,
  unknownEffect,    //!< the handle names no effect of this chain (never added, or removed)
  wrongEffectType,  //!< an equalizer record given to a reverb, or the other way round
  outOfRange,       //!< a value outside its range, or not a finite number
  invalidFormat,    //!< a sample rate or channel count the chain cannot process
};

const char* describe(EffectError error);

//! One band of the parametric equalizer: a peak or dip around a centre frequency.
struct ParametricEqParameters {
  float centerHz = 1000.0f;          //!< 20..20000; held below the Nyquist frequency when processed
  float bandwidthSemitones = 12.0f;  //!< 1..36, the width of the band in semitones
  float gainDb = 0.0f;               //!< -15..+15; 0 leaves the signal unchanged
};

//! The reverb: a decaying tail mixed into the dry signal.
struct ReverbParameters {
  float inputGainDb = 0.0f;      //!< -96..0, gain of the signal fed into the reverb
  float reverbMixDb = -96.0f;    //!< -96..0, level of the tail; -96 means off (the output is the dry signal)
  float reverbTimeMs = 1000.0f;  //!< 1..3000, time for the tail to fall by 60 dB
  float highFreqRtRatio = 0.5f;  //!< 0.001..1, decay time of high frequencies relative to reverbTimeMs
};

struct ParameterRange {
  float min;
  float max;
  bool contains(float value) const { return value >= min && value <= max; }  // false for NaN
};

inline constexpr ParameterRange kEqCenterHzRange{20.0f, 20000.0f};
inline constexpr ParameterRange kEqBandwidthSemitonesRange{1.0f, 36.0f};
inline constexpr ParameterRange kEqGainDbRange{-15.0f, 15.0f};
inline constexpr ParameterRange kReverbInputGainDbRange{-96.0f, 0.0f};
inline constexpr ParameterRange kReverbMixDbRange{-96.0f, 0.0f};
inline constexpr ParameterRange kReverbTimeMsRange{1.0f, 3000.0f};
inline constexpr ParameterRange kReverbHighFreqRtRatioRange{0.001f, 1.0f};

//! A mix at or below this level turns the tail off.
inline constexpr float kReverbMixOffDb = -96.0f;

EffectError validate(const ParametricEqParameters& parameters);
EffectError validate(const ReverbParameters& parameters);

//! Sample rates and channel counts a chain accepts.
inline constexpr double kMinSampleRate = 8000.0;
inline constexpr double kMaxSampleRate = 384000.0;
inline constexpr int kMaxChannels = 16;

EffectError validateFormat(double sampleRate, int channels);

}  // namespace qv::dsp
