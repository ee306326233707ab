#include "reverb.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qv::dsp {

namespace {

// Delays at 48 kHz, all prime so that the combs' echoes rarely coincide.
constexpr std::array<int, kReverbCombCount> kCombDelays48k{1201, 1277, 1361, 1439, 1523, 1601, 1667, 1753};
constexpr std::array<int, kReverbAllpassCount> kAllpassDelays48k{593, 457, 353, 233};
constexpr int kChannelSpread48k = 24;
constexpr double kReferenceRate = 48000.0;
constexpr float kAllpassGain = 0.6f;

// A lower loop-gain ratio at high frequencies would only sharpen a loss that already removes
// them within one pass.
constexpr double kMinHighFrequencyLoopRatio = 0.01;

// Frames of one pass through the reverb's stages; the scratch buffers live on the stack.
constexpr std::size_t kChunkFrames = 256;

int scaledDelay(double sampleRate, int frames48k) {
  return std::max(1, static_cast<int>(std::lround(frames48k * sampleRate / kReferenceRate)));
}

// Pole of the one-pole low-pass (1 - a) / (1 - a z^-1) whose magnitude at `omega` is `ratio`.
double lowPassPoleForMagnitude(double ratio, double omega) {
  if (ratio >= 1.0) {
    return 0.0;
  }
  const double ratioSquared = ratio * ratio;
  const double b = (1.0 - ratioSquared * std::cos(omega)) / (1.0 - ratioSquared);
  // The smaller root of a^2 - 2ba + 1 = 0, written without the cancellation of b - sqrt(b^2 - 1).
  return 1.0 / (b + std::sqrt(b * b - 1.0));
}

}  // namespace

int reverbCombDelayFrames(double sampleRate, int channel, int comb) {
  return scaledDelay(sampleRate, kCombDelays48k[static_cast<std::size_t>(comb)] + kChannelSpread48k * channel);
}

int reverbAllpassDelayFrames(double sampleRate, int channel, int allpass) {
  return scaledDelay(sampleRate, kAllpassDelays48k[static_cast<std::size_t>(allpass)] + kChannelSpread48k * channel);
}

ReverbCoefficients reverbCoefficients(const ReverbParameters& parameters, double sampleRate, int channels) {
  const double reverbSeconds = static_cast<double>(parameters.reverbTimeMs) / 1000.0;
  const double ratio = static_cast<double>(parameters.highFreqRtRatio);
  const double omega = 2.0 * std::numbers::pi * std::min(kReverbHighFrequencyHz, 0.4 * sampleRate) / sampleRate;

  ReverbCoefficients coefficients;
  coefficients.combs.resize(static_cast<std::size_t>(channels) * kReverbCombCount);
  double firstChannelEnergy = 0.0;
  for (int channel = 0; channel < channels; ++channel) {
    for (int comb = 0; comb < kReverbCombCount; ++comb) {
      const double delaySeconds = reverbCombDelayFrames(sampleRate, channel, comb) / sampleRate;
      // Each pass loses 60 dB * delay / reverb time, so the tail is 60 dB down after the reverb time.
      const double loopGain = std::pow(10.0, -3.0 * delaySeconds / reverbSeconds);
      // High frequencies should lose the same in reverbTime * ratio: the low-pass takes the rest.
      const double highFrequencyRatio = std::max(
          kMinHighFrequencyLoopRatio, std::pow(10.0, -3.0 * delaySeconds * (1.0 / ratio - 1.0) / reverbSeconds));
      ReverbCoefficients::Comb& c = coefficients.combs[static_cast<std::size_t>(channel * kReverbCombCount + comb)];
      c.feedback = static_cast<float>(loopGain);
      c.damping = static_cast<float>(lowPassPoleForMagnitude(highFrequencyRatio, omega));
      if (channel == 0) {
        firstChannelEnergy += 1.0 / (1.0 - loopGain * loopGain);
      }
    }
  }

  coefficients.inputGain = static_cast<float>(std::pow(10.0, static_cast<double>(parameters.inputGainDb) / 20.0));
  if (parameters.reverbMixDb > kReverbMixOffDb) {
    // Scaled so that a steady broadband input gives a tail of about the input's own level at 0 dB,
    // whatever the reverb time.
    const double normalisation = 1.0 / std::sqrt(firstChannelEnergy);
    coefficients.wetGain =
        static_cast<float>(std::pow(10.0, static_cast<double>(parameters.reverbMixDb) / 20.0) * normalisation);
  }
  return coefficients;
}

ReverbState::ReverbState(double sampleRate, int channels) : m_channels(channels) {
  std::size_t total = 0;
  for (int channel = 0; channel < channels; ++channel) {
    for (int comb = 0; comb < kReverbCombCount; ++comb) {
      CombLine line;
      line.offset = total;
      line.length = reverbCombDelayFrames(sampleRate, channel, comb);
      total += static_cast<std::size_t>(line.length);
      m_combs.push_back(line);
    }
    for (int allpass = 0; allpass < kReverbAllpassCount; ++allpass) {
      DelayLine line;
      line.offset = total;
      line.length = reverbAllpassDelayFrames(sampleRate, channel, allpass);
      total += static_cast<std::size_t>(line.length);
      m_allpasses.push_back(line);
    }
  }
  m_memory.assign(total, 0.0f);
}

void ReverbState::clear() noexcept {
  std::fill(m_memory.begin(), m_memory.end(), 0.0f);
  for (CombLine& line : m_combs) {
    line.lowPass = 0.0f;
  }
  m_cleared = true;
}

void ReverbState::process(float* interleaved, std::size_t frames, const ReverbCoefficients& coefficients) noexcept {
  if (frames == 0) {
    return;
  }
  if (coefficients.wetGain == 0.0f && m_appliedWetGain == 0.0f) {
    // Off: the dry signal passes untouched. A tail faded out earlier is dropped, so that it does
    // not come back when the reverb is turned on again.
    if (!m_cleared) {
      clear();
    }
    return;
  }
  if (m_cleared) {
    // Nothing is in the delay lines, so there is nothing to smooth: the input starts at its gain.
    m_appliedInputGain = coefficients.inputGain;
    m_cleared = false;
  }

  const float perFrame = 1.0f / static_cast<float>(frames);
  const float inputGainStep = (coefficients.inputGain - m_appliedInputGain) * perFrame;
  const float wetGainStep = (coefficients.wetGain - m_appliedWetGain) * perFrame;
  for (int channel = 0; channel < m_channels; ++channel) {
    processChannel(interleaved, frames, channel, coefficients, m_appliedInputGain, inputGainStep, m_appliedWetGain,
                   wetGainStep);
  }
  m_appliedInputGain = coefficients.inputGain;
  m_appliedWetGain = coefficients.wetGain;
}

void ReverbState::processChannel(float* interleaved, std::size_t frames, int channel,
                                 const ReverbCoefficients& coefficients, float inputGainStart, float inputGainStep,
                                 float wetGainStart, float wetGainStep) noexcept {
  const std::size_t stride = static_cast<std::size_t>(m_channels);
  float input[kChunkFrames];
  float tail[kChunkFrames];

  for (std::size_t start = 0; start < frames; start += kChunkFrames) {
    const std::size_t count = std::min(kChunkFrames, frames - start);
    float* samples = interleaved + start * stride + static_cast<std::size_t>(channel);

    for (std::size_t i = 0; i < count; ++i) {
      input[i] = samples[i * stride] * (inputGainStart + inputGainStep * static_cast<float>(start + i));
      tail[i] = 0.0f;
    }

    // Stage by stage over the chunk, so each stage's state stays in registers.
    for (int comb = 0; comb < kReverbCombCount; ++comb) {
      const std::size_t index = static_cast<std::size_t>(channel * kReverbCombCount + comb);
      CombLine& line = m_combs[index];
      const float feedback = coefficients.combs[index].feedback;
      const float damping = coefficients.combs[index].damping;
      float* buffer = m_memory.data() + line.offset;
      int position = line.position;
      float lowPass = line.lowPass;
      for (std::size_t i = 0; i < count; ++i) {
        const float delayed = buffer[position];
        lowPass = delayed + (lowPass - delayed) * damping;
        buffer[position] = input[i] + lowPass * feedback;
        if (++position == line.length) {
          position = 0;
        }
        tail[i] += delayed;
      }
      line.position = position;
      line.lowPass = lowPass;
    }

    for (int allpass = 0; allpass < kReverbAllpassCount; ++allpass) {
      DelayLine& line = m_allpasses[static_cast<std::size_t>(channel * kReverbAllpassCount + allpass)];
      float* buffer = m_memory.data() + line.offset;
      int position = line.position;
      for (std::size_t i = 0; i < count; ++i) {
        const float delayed = buffer[position];
        const float fed = tail[i] + kAllpassGain * delayed;
        buffer[position] = fed;
        tail[i] = delayed - kAllpassGain * fed;
        if (++position == line.length) {
          position = 0;
        }
      }
      line.position = position;
    }

    for (std::size_t i = 0; i < count; ++i) {
      samples[i * stride] += (wetGainStart + wetGainStep * static_cast<float>(start + i)) * tail[i];
    }
  }
}

}  // namespace qv::dsp
