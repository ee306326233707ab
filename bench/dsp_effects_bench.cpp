// Cost of one stream's effects: the six equalizer bands and the reverb, per second of 48 kHz
// stereo audio, processed in blocks of the sizes an audio callback asks for. The time of one
// iteration is the CPU time per second of audio: 10 ms is 1% of one core.

#include "effect_chain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using qv::dsp::EffectChain;
using qv::dsp::ParametricEqParameters;
using qv::dsp::ReverbParameters;

constexpr double kRate = 48000.0;
constexpr int kChannels = 2;
constexpr std::size_t kFramesPerSecond = 48000;

std::vector<float> noise(std::size_t samples) {
  std::vector<float> result(samples);
  std::uint32_t state = 1;
  for (float& sample : result) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    sample = 0.25f * static_cast<float>(static_cast<double>(state) / 2147483648.0 - 1.0);
  }
  return result;
}

// The player's six bands and its reverb, as a stream gets them.
void attachEffects(EffectChain& chain, bool active) {
  chain.setFormat(kRate, kChannels);
  const float centers[] = {60.0f, 250.0f, 1000.0f, 3500.0f, 8000.0f, 16000.0f};
  const float gains[] = {5.0f, 10.0f, 5.0f, 2.0f, -5.0f, -5.0f};  // none at 0 dB: the costliest case
  for (int band = 0; band < 6; ++band) {
    chain.setParameters(chain.addParametricEq(1),
                        ParametricEqParameters{centers[band], 18.0f, active ? gains[band] : 0.0f});
  }
  chain.setParameters(chain.addReverb(1), ReverbParameters{0.0f, active ? 0.0f : -96.0f, 1200.0f, 0.1f});
}

// Arguments: block size in frames; 1 = gains and reverb on, 0 = the neutral settings of a new stream.
void BM_SixBandsAndReverbPerAudioSecond(benchmark::State& state) {
  const auto blockFrames = static_cast<std::size_t>(state.range(0));
  EffectChain chain;
  attachEffects(chain, state.range(1) != 0);
  const std::vector<float> source = noise(kFramesPerSecond * kChannels);
  std::vector<float> block(blockFrames * kChannels);

  for (auto _ : state) {
    for (std::size_t start = 0; start < kFramesPerSecond; start += blockFrames) {
      const std::size_t frames = std::min(blockFrames, kFramesPerSecond - start);
      // A fresh copy of the source each block, as a decoder would deliver it.
      std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(start * kChannels), frames * kChannels, block.begin());
      chain.process(block.data(), frames, kChannels);
      benchmark::DoNotOptimize(block.data());
    }
    benchmark::ClobberMemory();
  }
  state.SetLabel(state.range(1) != 0 ? "effects on" : "neutral");
}
BENCHMARK(BM_SixBandsAndReverbPerAudioSecond)->ArgsProduct({{480, 1024}, {1, 0}})->Unit(benchmark::kMillisecond);

// A reverb tail dying into silence: values pass through the denormal range, which must not slow
// the processing down.
void BM_ReverbTailIntoSilencePerAudioSecond(benchmark::State& state) {
  EffectChain chain;
  attachEffects(chain, true);
  std::vector<float> block(480 * kChannels, 0.0f);
  block[0] = 1.0f;
  block[1] = 1.0f;
  chain.process(block.data(), 480, kChannels);

  for (auto _ : state) {
    for (std::size_t start = 0; start < kFramesPerSecond; start += 480) {
      std::fill(block.begin(), block.end(), 0.0f);
      chain.process(block.data(), 480, kChannels);
      benchmark::DoNotOptimize(block.data());
    }
  }
}
BENCHMARK(BM_ReverbTailIntoSilencePerAudioSecond)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
