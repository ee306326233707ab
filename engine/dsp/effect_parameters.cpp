#include "effect_parameters.h"

namespace qv::dsp {

const char* describe(EffectError error) {
  switch (error) {
    case EffectError::none:
      return "no error";
    case EffectError::unknownEffect:
      return "no such effect";
    case EffectError::wrongEffectType:
      return "parameters of another effect type";
    case EffectError::outOfRange:
      return "parameter out of range";
    case EffectError::invalidFormat:
      return "unsupported sample rate or channel count";
  }
  return "unknown error";
}

EffectError validate(const ParametricEqParameters& parameters) {
  const bool valid = kEqCenterHzRange.contains(parameters.centerHz) &&
                     kEqBandwidthSemitonesRange.contains(parameters.bandwidthSemitones) &&
                     kEqGainDbRange.contains(parameters.gainDb);
  return valid ? EffectError::none : EffectError::outOfRange;
}

EffectError validate(const ReverbParameters& parameters) {
  const bool valid = kReverbInputGainDbRange.contains(parameters.inputGainDb) &&
                     kReverbMixDbRange.contains(parameters.reverbMixDb) &&
                     kReverbTimeMsRange.contains(parameters.reverbTimeMs) &&
                     kReverbHighFreqRtRatioRange.contains(parameters.highFreqRtRatio);
  return valid ? EffectError::none : EffectError::outOfRange;
}

EffectError validateFormat(double sampleRate, int channels) {
  const bool valid =
      sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate && channels >= 1 && channels <= kMaxChannels;
  return valid ? EffectError::none : EffectError::invalidFormat;
}

}  // namespace qv::dsp
