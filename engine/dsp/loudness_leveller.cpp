#include "loudness_leveller.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qv::dsp {

namespace {

constexpr std::size_t kChannels = 2;
// Measured for this long before the gain first moves: the gated loudness of less says little.
constexpr double kFirstMoveSeconds = 3.0;
// The limiter aims this far under the ceiling: its interpolation and the output's 16-bit rounding
// may each be off by a little.
constexpr float kCeilingMarginDb = 0.3f;
// A block whose sample peak is this far under the ceiling cannot reach it between its samples.
constexpr float kNoOverBelowCeilingDb = 6.0f;
// Back from a 15 dB reduction within 200 ms after a peak.
constexpr float kReleaseDbPerSecond = 80.0f;

float fromDb(double db) {
  return static_cast<float>(std::pow(10.0, db / 20.0));
}

//! Windowed sinc at `t` samples from the centre, over +-8 samples.
float interpolationTap(double t) {
  constexpr double kHalfWidth = 8.5;
  if (std::fabs(t) >= kHalfWidth) {
    return 0.0f;
  }
  const double sinc = t == 0.0 ? 1.0 : std::sin(std::numbers::pi * t) / (std::numbers::pi * t);
  const double window = 0.5 * (1.0 + std::cos(std::numbers::pi * t / kHalfWidth));
  return static_cast<float>(sinc * window);
}

}  // namespace

struct LoudnessLeveller::Meter {
  explicit Meter(ebur128_state* measuring) : state(measuring) {}
  ~Meter() { ebur128_destroy(&state); }
  Meter(const Meter&) = delete;
  Meter& operator=(const Meter&) = delete;
  ebur128_state* state;
};

LoudnessLeveller::LoudnessLeveller(int rateHz, const LevellingParameters& parameters)
    : parameters_(parameters),
      rateHz_(rateHz),
      measureBlockFrames_(static_cast<std::size_t>(std::max(rateHz, 1000)) / 10),
      framesToUpdate_(measureBlockFrames_),
      currentGainDb_(std::clamp(parameters.initialGainDb, kMinGainDb, kMaxGainDb)),
      rampGain_(fromDb(currentGainDb_)),
      limiterRelease_(fromDb(kReleaseDbPerSecond * static_cast<double>(kLimiterBlockFrames) / std::max(rateHz, 1000))),
      ceiling_(fromDb(kCeilingDbtp - kCeilingMarginDb)),
      gainDb_(static_cast<float>(currentGainDb_)),
      work_(kTapsBehind * kChannels, 0.0f) {
  parameters_.targetLufs = std::clamp(parameters.targetLufs, kMinTargetLufs, kMaxTargetLufs);
  if (!parameters_.enabled) {
    return;
  }
  // The histogram keeps the gated measurement's cost and memory fixed however long a station plays.
  ebur128_state* state = ebur128_init(kChannels, static_cast<unsigned long>(rateHz),
                                      EBUR128_MODE_S | EBUR128_MODE_I | EBUR128_MODE_HISTOGRAM);
  if (state != nullptr) {
    meter_ = std::make_unique<Meter>(state);
  } else {
    parameters_.enabled = false;  // out of memory: the stream plays as it comes
  }
  // Taps for the points a quarter, a half and three quarters of the way to the next sample.
  for (std::size_t phase = 0; phase < phases_.size(); ++phase) {
    const double fraction = static_cast<double>(phase + 1) / 4.0;
    for (std::size_t tap = 0; tap < kTapsBehind + kTapsAhead; ++tap) {
      const double offset = static_cast<double>(tap) - static_cast<double>(kTapsBehind - 1);
      phases_[phase][tap] = interpolationTap(fraction - offset);
    }
  }
}

LoudnessLeveller::~LoudnessLeveller() = default;

void LoudnessLeveller::process(float* interleaved, std::size_t frames) noexcept {
  if (!parameters_.enabled || frames == 0) {
    return;
  }
  // Measured as it comes; the gain ramps toward each new step over the next 100 ms.
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t run = std::min(frames - done, framesToUpdate_);
    float* samples = interleaved + done * kChannels;
    ebur128_add_frames_float(meter_->state, samples, run);
    float gain = rampGain_;
    for (std::size_t i = 0; i < run; ++i) {
      samples[i * 2] *= gain;
      samples[i * 2 + 1] *= gain;
      gain += rampStep_;
    }
    rampGain_ = gain;
    done += run;
    framesToUpdate_ -= run;
    if (framesToUpdate_ == 0) {
      framesMeasured_ += measureBlockFrames_;
      framesToUpdate_ = measureBlockFrames_;
      updateGain();
    }
  }
  limit(interleaved, frames);
}

void LoudnessLeveller::updateGain() noexcept {
  double shortTerm = -HUGE_VAL;
  double integrated = -HUGE_VAL;
  ebur128_loudness_shortterm(meter_->state, &shortTerm);
  ebur128_loudness_global(meter_->state, &integrated);
  const bool measuredEnough = static_cast<double>(framesMeasured_) >= kFirstMoveSeconds * rateHz_;
  const bool hold = !measuredEnough || !std::isfinite(integrated) || !std::isfinite(shortTerm) ||
                    shortTerm < kNearSilenceLufs || shortTerm < integrated - kQuietPassageLu;
  double next = currentGainDb_;
  if (!hold) {
    const double wanted = std::clamp(static_cast<double>(parameters_.targetLufs) - integrated,
                                     static_cast<double>(kMinGainDb), static_cast<double>(kMaxGainDb));
    const double maxStep = kMaxStepDbPerSecond * static_cast<double>(measureBlockFrames_) / rateHz_;
    next = currentGainDb_ + std::clamp(wanted - currentGainDb_, -maxStep, maxStep);
  }
  const float target = fromDb(next);
  rampStep_ = (target - rampGain_) / static_cast<float>(measureBlockFrames_);
  currentGainDb_ = next;
  gainDb_.store(static_cast<float>(next), std::memory_order_relaxed);
}

float LoudnessLeveller::truePeak(const float* samples, std::size_t from, std::size_t to,
                                 std::size_t frames) const noexcept {
  float peak = 0.0f;
  for (std::size_t i = from; i < to; ++i) {
    peak = std::max({peak, std::fabs(samples[i * 2]), std::fabs(samples[i * 2 + 1])});
  }
  if (peak < ceiling_ * fromDb(-kNoOverBelowCeilingDb)) {
    return peak;
  }
  // Between frame i and i + 1; beyond the last frame given, the last one is held (the next block
  // checks that stretch again with its real samples).
  const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(frames) - 1;
  for (std::size_t i = from; i < to; ++i) {
    for (std::size_t channel = 0; channel < kChannels; ++channel) {
      for (const auto& taps : phases_) {
        float sum = 0.0f;
        for (std::size_t tap = 0; tap < taps.size(); ++tap) {
          const std::ptrdiff_t at =
              std::min(static_cast<std::ptrdiff_t>(i + tap) - static_cast<std::ptrdiff_t>(kTapsBehind - 1), last);
          sum += taps[tap] * samples[at * 2 + static_cast<std::ptrdiff_t>(channel)];
        }
        peak = std::max(peak, std::fabs(sum));
      }
    }
  }
  return peak;
}

void LoudnessLeveller::limit(float* interleaved, std::size_t frames) noexcept {
  // The levelled block behind the history of the frames before it, as the peak estimate reads it.
  const std::size_t history = kTapsBehind * kChannels;
  work_.resize(history + frames * kChannels);
  std::copy(interleaved, interleaved + frames * kChannels, work_.begin() + static_cast<std::ptrdiff_t>(history));
  const float* levelled = work_.data() + history;
  const std::size_t blocks = (frames + kLimiterBlockFrames - 1) / kLimiterBlockFrames;
  blockGains_.resize(blocks);
  for (std::size_t block = 0; block < blocks; ++block) {
    const std::size_t from = block * kLimiterBlockFrames;
    const std::size_t to = std::min(frames, from + kLimiterBlockFrames);
    // Indices below 0 reach into the history.
    const float peak = truePeak(levelled, from, to, frames);
    blockGains_[block] = peak > ceiling_ ? ceiling_ / peak : 1.0f;
  }
  // Each block's gain is reached by its end and never exceeded within it: a reduction starts one
  // block ahead (within what was given), a release is slow. Only a peak in the very first block
  // may need a step.
  float gain = std::min(limiterGain_, blockGains_[0]);
  for (std::size_t block = 0; block < blocks; ++block) {
    const float allowed =
        block + 1 < blocks ? std::min(blockGains_[block], blockGains_[block + 1]) : blockGains_[block];
    const float end = allowed <= gain ? allowed : std::min(allowed, gain * limiterRelease_);
    const std::size_t from = block * kLimiterBlockFrames;
    const std::size_t to = std::min(frames, from + kLimiterBlockFrames);
    if (gain == 1.0f && end == 1.0f) {
      continue;
    }
    const float step = (end - gain) / static_cast<float>(to - from);
    for (std::size_t i = from; i < to; ++i) {
      gain += step;
      interleaved[i * 2] *= gain;
      interleaved[i * 2 + 1] *= gain;
    }
    gain = end;
  }
  limiterGain_ = gain;
  // The last frames, before the limiter, are the next block's history.
  if (frames >= kTapsBehind) {
    std::copy(work_.end() - static_cast<std::ptrdiff_t>(history), work_.end(), work_.begin());
  } else {
    std::copy(work_.begin() + static_cast<std::ptrdiff_t>(frames * kChannels), work_.end(), work_.begin());
  }
  work_.resize(history);
}

}  // namespace qv::dsp
