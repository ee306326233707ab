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

PeakingEqState::PeakingEqState(int channels) : m_history(static_cast<std::size_t>(channels)) {}

double PeakingEqState::step(const BiquadCoefficients& c, History& h, double x) noexcept {
  // Direct form I keeps the real past input and output, so a coefficient swap needs no state
  // conversion. Pairing each feed-forward term with its feedback term makes 0 dB (b == a) give
  // exactly the input: each pair is then exactly zero.
  const double y = c.b0 * x + (c.b1 * h.x1 - c.a1 * h.y1) + (c.b2 * h.x2 - c.a2 * h.y2);
  h.x2 = h.x1;
  h.x1 = x;
  h.y2 = h.y1;
  h.y1 = y;
  return y;
}

bool PeakingEqState::outputFollowsInput() const noexcept {
  // After a band is set back to 0 dB its earlier output dies away, but rounding keeps a residue
  // around 1e-16; below 1e-10 (-200 dB) the output counts as the input.
  constexpr double kResidue = 1e-10;
  return std::all_of(m_history.begin(), m_history.end(), [](const History& h) {
    return std::fabs(h.x1 - h.y1) <= kResidue && std::fabs(h.x2 - h.y2) <= kResidue;
  });
}

void PeakingEqState::process(float* interleaved, std::size_t frames, const BiquadCoefficients& c) noexcept {
  if (frames == 0) {
    return;
  }
  const std::size_t channels = m_history.size();

  if (isIdentity(c) && outputFollowsInput()) {
    // Filtering would return every sample unchanged (see step), so only the history has to
    // follow the signal. This makes the neutral bands every stream carries nearly free.
    for (std::size_t channel = 0; channel < channels; ++channel) {
      History& h = m_history[channel];
      const double last = interleaved[(frames - 1) * channels + channel];
      const double beforeLast = frames >= 2 ? interleaved[(frames - 2) * channels + channel] : h.x1;
      h.x1 = h.y1 = last;
      h.x2 = h.y2 = beforeLast;
    }
    return;
  }

  if (channels == 2) {
    // Two independent recursions in one loop: each hides the other's latency.
    History left = m_history[0];
    History right = m_history[1];
    for (std::size_t frame = 0; frame < frames; ++frame) {
      float* sample = interleaved + 2 * frame;
      sample[0] = static_cast<float>(step(c, left, sample[0]));
      sample[1] = static_cast<float>(step(c, right, sample[1]));
    }
    m_history[0] = left;
    m_history[1] = right;
    return;
  }

  for (std::size_t channel = 0; channel < channels; ++channel) {
    History h = m_history[channel];
    float* sample = interleaved + channel;
    for (std::size_t frame = 0; frame < frames; ++frame, sample += channels) {
      *sample = static_cast<float>(step(c, h, *sample));
    }
    m_history[channel] = h;
  }
}

}  // namespace qv::dsp
