#pragma once

#include "effect_chain.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qv::dsp::testing {

//! Runs interleaved samples through the chain in blocks of the size an audio callback uses.
inline std::vector<float> render(EffectChain& chain, std::vector<float> samples, int channels,
                                 std::size_t blockFrames = 480) {
  const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
  for (std::size_t start = 0; start < frames; start += blockFrames) {
    chain.process(samples.data() + start * static_cast<std::size_t>(channels), std::min(blockFrames, frames - start),
                  channels);
  }
  return samples;
}

//! A chain of the given format holding one equalizer band.
struct OneBand {
  OneBand(double sampleRate, int channels, const ParametricEqParameters& parameters) {
    chain.setFormat(sampleRate, channels);
    band = chain.addParametricEq(1);
    chain.setParameters(band, parameters);
  }
  EffectChain chain;
  EffectHandle band = kNoEffect;
};

}  // namespace qv::dsp::testing
