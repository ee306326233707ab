#pragma once

// Measurements on rendered audio, shared by the effect tests and by tests that capture the real
// output: levels, gain at one frequency of a noise signal, and the decay time of a tail.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>
#include <span>
#include <vector>

namespace qv::test_signal {

//! White noise, uniform in [-amplitude, amplitude], the same on every platform for one seed.
inline std::vector<float> whiteNoise(std::size_t samples, float amplitude, std::uint32_t seed = 1) {
  std::vector<float> noise(samples);
  std::uint32_t state = seed == 0 ? 1 : seed;
  for (float& sample : noise) {
    state ^= state << 13;  // xorshift32
    state ^= state >> 17;
    state ^= state << 5;
    sample = amplitude * static_cast<float>(static_cast<double>(state) / 2147483648.0 - 1.0);
  }
  return noise;
}

//! A sine of `frames` frames, the same on each of `channels` interleaved channels.
inline std::vector<float> sine(std::size_t frames, double frequency, double sampleRate, float amplitude,
                               int channels = 1) {
  std::vector<float> samples(frames * static_cast<std::size_t>(channels));
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const double value =
        amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(frame) / sampleRate);
    for (int channel = 0; channel < channels; ++channel) {
      samples[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)] =
          static_cast<float>(value);
    }
  }
  return samples;
}

//! One channel of interleaved samples.
inline std::vector<float> channelOf(std::span<const float> interleaved, int channels, int channel) {
  std::vector<float> samples;
  for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size();
       i += static_cast<std::size_t>(channels)) {
    samples.push_back(interleaved[i]);
  }
  return samples;
}

inline double rms(std::span<const float> samples) {
  if (samples.empty()) {
    return 0.0;
  }
  double sum = 0.0;
  for (float sample : samples) {
    sum += static_cast<double>(sample) * sample;
  }
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

inline double amplitudeDb(double ratio) {
  return 20.0 * std::log10(ratio);
}

//! Level of `signal` relative to `reference`, in dB.
inline double levelDb(std::span<const float> signal, std::span<const float> reference) {
  return amplitudeDb(rms(signal) / rms(reference));
}

//! Sample-by-sample difference a - b.
inline std::vector<float> difference(std::span<const float> a, std::span<const float> b) {
  std::vector<float> result(std::min(a.size(), b.size()));
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = a[i] - b[i];
  }
  return result;
}

//! Power of `samples` at one frequency: Hann-windowed segments overlapping by half, each measured
//! at that frequency (Goertzel), averaged. Only ratios of two such powers are meaningful.
inline double powerAt(std::span<const float> samples, double sampleRate, double frequency, std::size_t segment = 4096) {
  const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
  double total = 0.0;
  std::size_t segments = 0;
  for (std::size_t start = 0; start + segment <= samples.size(); start += segment / 2, ++segments) {
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t n = 0; n < segment; ++n) {
      const double window =
          0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(segment));
      const double s0 = samples[start + n] * window + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    total += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  }
  return segments == 0 ? 0.0 : total / static_cast<double>(segments);
}

//! Gain from `input` to `output` at one frequency, in dB; works on noise as well as on tones.
inline double gainAtDb(std::span<const float> input, std::span<const float> output, double sampleRate,
                       double frequency) {
  return 10.0 * std::log10(powerAt(output, sampleRate, frequency) / powerAt(input, sampleRate, frequency));
}

//! `samples` through a band-pass of `octaves` width around `centerHz` (two cascaded second-order
//! sections, 0 dB at the centre): for measuring one frequency band of a broadband signal.
inline std::vector<float> bandPassed(std::span<const float> samples, double sampleRate, double centerHz,
                                     double octaves = 1.0) {
  const double omega = 2.0 * std::numbers::pi * centerHz / sampleRate;
  const double alpha = std::sin(omega) * std::sinh(std::numbers::ln2 / 2.0 * octaves * omega / std::sin(omega));
  const double a0 = 1.0 + alpha;
  const double b0 = alpha / a0;
  const double a1 = -2.0 * std::cos(omega) / a0;
  const double a2 = (1.0 - alpha) / a0;
  std::vector<float> result(samples.begin(), samples.end());
  for (int pass = 0; pass < 2; ++pass) {
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    for (float& sample : result) {
      const double x = sample;
      const double y = b0 * x - b0 * x2 - a1 * y1 - a2 * y2;
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      sample = static_cast<float>(y);
    }
  }
  return result;
}

//! Time for a decaying tail to fall by 60 dB, in seconds. `tail` starts where the excitation
//! (impulse or burst) ended. The energy decay curve (energy left from each moment on, integrated
//! backwards) is fitted with a straight line in dB between `fitFromDb` and `fitToDb` below its
//! start and extended to -60 dB. NaN when the curve does not reach `fitToDb`.
inline double decayTimeSeconds(std::span<const float> tail, double sampleRate, double fitFromDb = -5.0,
                               double fitToDb = -25.0) {
  std::vector<double> remaining(tail.size() + 1, 0.0);
  for (std::size_t i = tail.size(); i > 0; --i) {
    remaining[i - 1] = remaining[i] + static_cast<double>(tail[i - 1]) * tail[i - 1];
  }
  if (tail.empty() || remaining[0] <= 0.0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  double sumT = 0.0;
  double sumD = 0.0;
  double sumTT = 0.0;
  double sumTD = 0.0;
  std::size_t count = 0;
  bool reachedEnd = false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (remaining[i] <= 0.0) {
      break;
    }
    const double db = 10.0 * std::log10(remaining[i] / remaining[0]);
    if (db < fitToDb) {
      reachedEnd = true;
      break;
    }
    if (db <= fitFromDb) {
      const double t = static_cast<double>(i) / sampleRate;
      sumT += t;
      sumD += db;
      sumTT += t * t;
      sumTD += t * db;
      ++count;
    }
  }
  if (!reachedEnd || count < 2) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const double n = static_cast<double>(count);
  const double slope = (n * sumTD - sumT * sumD) / (n * sumTT - sumT * sumT);  // dB per second
  return slope < 0.0 ? -60.0 / slope : std::numeric_limits<double>::quiet_NaN();
}

//! True when every sample is a finite number no larger in magnitude than `limit`.
inline bool allFiniteWithin(std::span<const float> samples, float limit) {
  return std::all_of(samples.begin(), samples.end(),
                     [limit](float sample) { return std::isfinite(sample) && std::fabs(sample) <= limit; });
}

}  // namespace qv::test_signal
