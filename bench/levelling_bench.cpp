// Cost of levelling one stream: loudness measurement, gain and limiter, per second of 48 kHz
// stereo audio in blocks of the decoder's sizes. The time of one iteration is the CPU time per
// second of audio: 10 ms is 1% of one core.

#include "loudness_leveller.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using qv::dsp::LevellingParameters;
using qv::dsp::LoudnessLeveller;

constexpr int kRate = 48000;
constexpr std::size_t kFramesPerSecond = 48000;

std::vector<float> noise(std::size_t samples, float peak) {
  std::vector<float> result(samples);
  std::uint32_t state = 1;
  for (float& sample : result) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    sample = peak * static_cast<float>(static_cast<double>(state) / 2147483648.0 - 1.0);
  }
  return result;
}

// Arguments: block size in frames; peak of the source in percent of full scale (near full scale
// the limiter estimates the peaks between samples, the costliest case).
void BM_LevellingPerAudioSecond(benchmark::State& state) {
  const auto blockFrames = static_cast<std::size_t>(state.range(0));
  LevellingParameters parameters;
  parameters.enabled = true;
  parameters.initialGainDb = 6.0f;
  LoudnessLeveller leveller(kRate, parameters);
  const std::vector<float> source = noise(kFramesPerSecond * 2, static_cast<float>(state.range(1)) / 100.0f);
  std::vector<float> block(blockFrames * 2);

  for (auto _ : state) {
    for (std::size_t start = 0; start < kFramesPerSecond; start += blockFrames) {
      const std::size_t frames = std::min(blockFrames, kFramesPerSecond - start);
      std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(start * 2), frames * 2, block.begin());
      leveller.process(block.data(), frames);
      benchmark::DoNotOptimize(block.data());
    }
  }
}
BENCHMARK(BM_LevellingPerAudioSecond)
    ->Args({1152, 25})
    ->Args({1152, 95})
    ->Args({4096, 25})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
