#include "peaking_eq.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qv::dsp {

BiquadCoefficients peakingEqCoefficients(const ParametricEqParameters& parameters, double sampleRate) {
  const double center = std::min(static_cast<double>(parameters.centerHz), kMaxCenterShareOfSampleRate * sampleRate);
  const double octaves = static_cast<double>(parameters.bandwidthSemitones) / 12.0;
  const double amplitude = std::pow(10.0, static_cast<double>(parameters.gainDb) / 40.0);
  const double omega = 2.0 * std::numbers::pi * center / sampleRate;
  const double sinOmega = std::sin(omega);
  const double cosOmega = std::cos(omega);
  const double alpha = sinOmega * std::sinh(std::numbers::ln2 / 2.0 * octaves * omega / sinOmega);

  const double a0 = 1.0 + alpha / amplitude;
  BiquadCoefficients c;
  c.b0 = (1.0 + alpha * amplitude) / a0;
  c.b1 = -2.0 * cosOmega / a0;
  c.b2 = (1.0 - alpha * amplitude) / a0;
  c.a1 = c.b1;
  c.a2 = (1.0 - alpha / amplitude) / a0;
  return c;
}

PeakingEqState::PeakingEqState(int channels) : history_(static_cast<std::size_t>(channels)) {}

void PeakingEqState::process(float* interleaved, std::size_t frames, const BiquadCoefficients& c) noexcept {
  const std::size_t channels = history_.size();
  for (std::size_t channel = 0; channel < channels; ++channel) {
    History h = history_[channel];
    float* sample = interleaved + channel;
    for (std::size_t frame = 0; frame < frames; ++frame, sample += channels) {
      const double x = *sample;
      // Direct form I keeps the real past input and output, so a coefficient swap needs no state
      // conversion. Pairing each feed-forward term with its feedback term makes 0 dB (b == a)
      // give exactly the input: each pair is then exactly zero.
      const double y = c.b0 * x + (c.b1 * h.x1 - c.a1 * h.y1) + (c.b2 * h.x2 - c.a2 * h.y2);
      h.x2 = h.x1;
      h.x1 = x;
      h.y2 = h.y1;
      h.y1 = y;
      *sample = static_cast<float>(y);
    }
    history_[channel] = h;
  }
}

}  // namespace qv::dsp
