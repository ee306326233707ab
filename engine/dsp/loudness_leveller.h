#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace qv::dsp {

//! How a stream is levelled: off, or toward `targetLufs` starting at `initialGainDb` (what was
//! learned for the station before, 0 for one never heard).
struct LevellingParameters {
  bool enabled = false;
  float targetLufs = -16.0f;
  float initialGainDb = 0.0f;
};

//! Brings a stream to a common loudness, for live radio where nothing can be measured ahead: the
//! stream's loudness is measured as it is decoded (EBU R 128, gated), the gain moves toward the
//! target by at most kMaxStepDbPerSecond and holds while the stream is near silence, and a
//! limiter after it keeps every boost under kCeilingDbtp true peak. It adds no delay: the limiter
//! looks ahead only within the block it is given, which the decoder hands over whole.
//!
//! Threads: process() on one thread (the decoder's); gainDb() from any thread.
class LoudnessLeveller {
 public:
  static constexpr float kMaxStepDbPerSecond = 1.0f;
  static constexpr float kMinGainDb = -20.0f;
  static constexpr float kMaxGainDb = 15.0f;
  static constexpr float kCeilingDbtp = -1.0f;
  //! Short-term loudness below this (or this far below the stream's own) holds the gain: a pause
  //! or a quiet passage is not pumped up.
  static constexpr double kNearSilenceLufs = -45.0;
  static constexpr double kQuietPassageLu = 20.0;
  static constexpr float kMinTargetLufs = -30.0f;
  static constexpr float kMaxTargetLufs = -5.0f;

  //! Interleaved stereo at `rateHz`. Parameters out of range are held to it.
  LoudnessLeveller(int rateHz, const LevellingParameters& parameters);
  ~LoudnessLeveller();
  LoudnessLeveller(const LoudnessLeveller&) = delete;
  LoudnessLeveller& operator=(const LoudnessLeveller&) = delete;

  //! Levels interleaved stereo in place. Does nothing when levelling is off.
  void process(float* interleaved, std::size_t frames) noexcept;

  //! The levelling gain now (without the limiter's momentary reductions): what to remember for
  //! the station.
  float gainDb() const noexcept { return gainDb_.load(std::memory_order_relaxed); }
  bool enabled() const noexcept { return parameters_.enabled; }

 private:
  struct Meter;  // libebur128's state
  //! Every 100 ms of audio: the gain's next step from the measurement.
  void updateGain() noexcept;
  //! The limiter over `frames` frames already levelled.
  void limit(float* interleaved, std::size_t frames) noexcept;
  //! Highest estimate of the inter-sample peak of both channels between frames `from` and `to`
  //! of `samples` (interleaved stereo, with kTapsBehind frames of history before `samples`).
  float truePeak(const float* samples, std::size_t from, std::size_t to, std::size_t frames) const noexcept;

  static constexpr std::size_t kTapsBehind = 8;
  static constexpr std::size_t kTapsAhead = 8;
  static constexpr std::size_t kLimiterBlockFrames = 32;

  LevellingParameters parameters_;
  int rateHz_;
  std::unique_ptr<Meter> meter_;
  std::size_t measureBlockFrames_;
  std::size_t framesToUpdate_;
  std::size_t framesMeasured_ = 0;
  double currentGainDb_;      // where the ramp ends
  float rampGain_ = 1.0f;     // linear gain at the next frame
  float rampStep_ = 0.0f;     // per frame, until the next update
  float limiterGain_ = 1.0f;  // after the last frame processed
  float limiterRelease_;      // per limiter block, as a factor
  float ceiling_;
  std::atomic<float> gainDb_;
  // The levelled input of the last kTapsBehind frames, for the inter-sample peaks at a block's start.
  std::vector<float> work_;
  std::vector<float> blockGains_;
  std::array<std::array<float, kTapsBehind + kTapsAhead>, 3> phases_{};
};

}  // namespace qv::dsp
