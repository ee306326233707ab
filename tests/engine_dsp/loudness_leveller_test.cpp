// The leveller driven with decoded-size blocks directly, twenty seconds in a fraction of one; what
// comes out is measured with libebur128, as a meter on the output would.

#include "loudness_leveller.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

namespace {

using qv::dsp::LevellingParameters;
using qv::dsp::LoudnessLeveller;

constexpr int kRate = 48000;
constexpr std::size_t kBlockFrames = 1152;  // one MP3 frame, as the decoder hands them over

//! Something like music: a few tones whose loudness swells and falls, over some noise, with its
//! sample peaks at `peak` (interleaved stereo).
std::vector<float> musicLike(double seconds, float peak, unsigned seed = 1) {
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  std::vector<float> out(frames * 2);
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  float highest = 0.0f;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double swell = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.3 * t);
    const double tones = std::sin(2 * std::numbers::pi * 220 * t) + 0.5 * std::sin(2 * std::numbers::pi * 660 * t) +
                         0.3 * std::sin(2 * std::numbers::pi * 1500 * t);
    out[i * 2] = static_cast<float>(swell * tones) + 0.2f * noise(random);
    out[i * 2 + 1] = static_cast<float>(swell * tones * 0.9) + 0.2f * noise(random);
    highest = std::max({highest, std::fabs(out[i * 2]), std::fabs(out[i * 2 + 1])});
  }
  for (float& sample : out) {
    sample *= peak / highest;
  }
  return out;
}

void run(LoudnessLeveller& leveller, std::vector<float>& samples) {
  const std::size_t frames = samples.size() / 2;
  for (std::size_t start = 0; start < frames; start += kBlockFrames) {
    leveller.process(samples.data() + start * 2, std::min(kBlockFrames, frames - start));
  }
}

struct Measured {
  double loudnessLufs = -HUGE_VAL;
  double truePeakDbtp = -HUGE_VAL;
};

//! Integrated loudness and true peak of frames [fromSeconds, end) of interleaved stereo.
Measured measure(const std::vector<float>& samples, double fromSeconds) {
  ebur128_state* state = ebur128_init(2, kRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
  const auto from = static_cast<std::size_t>(fromSeconds * kRate);
  const std::size_t frames = samples.size() / 2;
  Measured measured;
  if (from < frames) {
    ebur128_add_frames_float(state, samples.data() + from * 2, frames - from);
  }
  ebur128_loudness_global(state, &measured.loudnessLufs);
  for (unsigned channel = 0; channel < 2; ++channel) {
    double peak = 0;
    ebur128_true_peak(state, channel, &peak);
    measured.truePeakDbtp = std::max(measured.truePeakDbtp, 20 * std::log10(std::max(peak, 1e-9)));
  }
  ebur128_destroy(&state);
  return measured;
}

LevellingParameters on(float initialGainDb = 0.0f) {
  LevellingParameters parameters;
  parameters.enabled = true;
  parameters.initialGainDb = initialGainDb;
  return parameters;
}

// Two stations 12 dB apart come out at the target within 1 LU of each other after 20 s; the gain
// never moved faster than 1 dB a second; and the next time, a station starts where it was left.
TEST(LoudnessLeveller, StationsTwelveDbApartMeetAtTheTargetAndStartThereNextTime) {
  std::vector<float> loud = musicLike(20, 0.7f);
  std::vector<float> quiet = musicLike(20, 0.7f / 3.981f, 2);  // -12 dB
  const double loudBefore = measure(loud, 0).loudnessLufs;
  const double quietBefore = measure(quiet, 0).loudnessLufs;
  ASSERT_NEAR(loudBefore - quietBefore, 12.0, 0.5);
  ASSERT_GT(loudBefore, -16.0 + 4.0) << "one needs cutting, the other boosting";
  ASSERT_LT(quietBefore, -16.0 - 4.0);

  LoudnessLeveller loudLeveller(kRate, on());
  LoudnessLeveller quietLeveller(kRate, on());
  // Block by block, the gain's change over each second stays within 1 dB.
  std::vector<float> loudGains, quietGains;
  const std::size_t frames = loud.size() / 2;
  for (std::size_t start = 0; start < frames; start += kBlockFrames) {
    const std::size_t count = std::min(kBlockFrames, frames - start);
    loudLeveller.process(loud.data() + start * 2, count);
    quietLeveller.process(quiet.data() + start * 2, count);
    loudGains.push_back(loudLeveller.gainDb());
    quietGains.push_back(quietLeveller.gainDb());
  }
  const std::size_t blocksPerSecond = kRate / kBlockFrames;
  for (std::size_t i = blocksPerSecond; i < loudGains.size(); ++i) {
    ASSERT_LE(std::fabs(loudGains[i] - loudGains[i - blocksPerSecond]), 1.1f) << "block " << i;
    ASSERT_LE(std::fabs(quietGains[i] - quietGains[i - blocksPerSecond]), 1.1f) << "block " << i;
  }
  // The last 10 s: three whole swells of the music.
  const Measured loudAfter = measure(loud, 10);
  const Measured quietAfter = measure(quiet, 10);
  EXPECT_NEAR(loudAfter.loudnessLufs, quietAfter.loudnessLufs, 1.0);
  EXPECT_NEAR(loudAfter.loudnessLufs, -16.0, 1.0);
  EXPECT_NEAR(quietAfter.loudnessLufs, -16.0, 1.0);
  EXPECT_LE(quietAfter.truePeakDbtp, -1.0);

  // Heard again, the quiet station starts at its learned gain: its first 100 ms come out at the
  // target's loudness at once (momentary, so measured over 400 ms).
  const float learned = quietLeveller.gainDb();
  EXPECT_NEAR(learned, -16.0 - quietBefore, 0.5);
  LoudnessLeveller again(kRate, on(learned));
  std::vector<float> start = musicLike(0.4, 0.7f / 3.981f, 2);
  const std::vector<float> input = start;
  run(again, start);
  const double ratio = std::sqrt(std::inner_product(start.begin(), start.end(), start.begin(), 0.0) /
                                 std::inner_product(input.begin(), input.end(), input.begin(), 0.0));
  EXPECT_NEAR(20 * std::log10(ratio), learned, 1.0) << "less only where the limiter held a peak";
}

// A pause or a quiet passage is not pumped up: the gain holds where it was, also for a station
// that begins near silence.
TEST(LoudnessLeveller, NearSilenceHoldsTheGain) {
  struct Case {
    const char* name;
    double musicSeconds;
  };
  for (const Case c : {Case{"music, then a pause", 6.0}, Case{"a pause from the start", 0.0}}) {
    SCOPED_TRACE(c.name);
    std::vector<float> samples = musicLike(c.musicSeconds + 20, 0.1f);  // about -36 LUFS: boosted
    std::mt19937 random(3);
    std::uniform_real_distribution<float> hiss(-0.0003f, 0.0003f);
    for (std::size_t i = static_cast<std::size_t>(c.musicSeconds * kRate) * 2; i < samples.size(); ++i) {
      samples[i] = hiss(random);  // about -75 dBFS
    }
    LoudnessLeveller leveller(kRate, on(2.0f));
    std::vector<float> music(samples.begin(),
                             samples.begin() + static_cast<std::ptrdiff_t>(c.musicSeconds * kRate) * 2);
    std::vector<float> pause(samples.begin() + static_cast<std::ptrdiff_t>(music.size()), samples.end());
    run(leveller, music);
    // The short-term loudness takes its 3 s to fall under the threshold.
    const float atPause = leveller.gainDb();
    run(leveller, pause);
    EXPECT_LE(leveller.gainDb(), atPause + 3.1f);
    EXPECT_LE(measure(pause, 5).loudnessLufs, -60.0) << "the hiss stays hiss";
    if (c.musicSeconds == 0.0) {
      EXPECT_EQ(leveller.gainDb(), 2.0f);
    }
  }
}

// A boost never clips: a quiet bed with hits near full scale, and a tone whose peaks fall between its
// samples (a quarter of the rate, 45 degrees off: 3 dB over its samples), stay under -1 dBTP at
// the most the leveller may boost, while the bed is still boosted.
TEST(LoudnessLeveller, ABoostedPeakNeverPassesMinusOneDbtp) {
  const auto frames = static_cast<std::size_t>(6 * kRate);
  std::vector<float> hits = musicLike(6, 0.05f);
  for (std::size_t at = kRate / 4; at + 960 < frames; at += kRate / 2) {
    // A drum-like hit: full scale at once, decaying over 20 ms.
    for (std::size_t i = 0; i < 960; ++i) {
      const double t = static_cast<double>(i) / kRate;
      const auto hit =
          static_cast<float>(std::exp(-t / 0.005) * (0.6 * std::sin(2 * std::numbers::pi * 2000 * t + 1.2) +
                                                     0.4 * std::sin(2 * std::numbers::pi * 7000 * t + 0.4)));
      hits[(at + i) * 2] = hit;
      hits[(at + i) * 2 + 1] = -hit;
    }
  }
  std::vector<float> interSample(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const auto value =
        static_cast<float>(std::sin(std::numbers::pi / 2 * static_cast<double>(i) + std::numbers::pi / 4));
    interSample[i * 2] = value;
    interSample[i * 2 + 1] = value;
  }
  ASSERT_GT(measure(interSample, 0).truePeakDbtp, -0.5) << "its peaks are over -1 dBTP between the samples";
  for (auto* samples : {&hits, &interSample}) {
    SCOPED_TRACE(samples == &hits ? "hits" : "peaks between samples");
    LoudnessLeveller leveller(kRate, on(LoudnessLeveller::kMaxGainDb));
    run(leveller, *samples);
    EXPECT_LE(measure(*samples, 0).truePeakDbtp, -1.0);
    for (float sample : *samples) {
      ASSERT_TRUE(std::isfinite(sample));
    }
  }
  // Between the hits, the bed is boosted by most of the 15 dB.
  const std::vector<float> bed = musicLike(6, 0.05f);
  const std::size_t from = kRate / 4 + kRate / 5;
  const std::size_t to = from + kRate / 20;
  double in = 0, out = 0;
  for (std::size_t i = from * 2; i < to * 2; ++i) {
    in += bed[i] * bed[i];
    out += hits[i] * hits[i];
  }
  EXPECT_GT(10 * std::log10(out / in), 10.0);
}

// Off, the stream passes untouched.
TEST(LoudnessLeveller, OffLeavesEverySampleAsItIs) {
  std::vector<float> samples = musicLike(5, 0.9f);
  const std::vector<float> input = samples;
  LevellingParameters off;
  off.initialGainDb = 6.0f;
  LoudnessLeveller leveller(kRate, off);
  run(leveller, samples);
  EXPECT_EQ(samples, input);
  EXPECT_FALSE(leveller.enabled());
}

}  // namespace
