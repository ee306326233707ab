// The audio side under concurrent changes: no invalid samples, no allocation and no freeing on
// the audio thread. Global operator new and delete are replaced here to count, per thread.

#include "effect_chain.h"
#include "signal_measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <thread>
#include <vector>

namespace {

thread_local bool countingThisThread = false;
thread_local int allocationsOnThisThread = 0;
thread_local int releasesOnThisThread = 0;

}  // namespace

namespace {

void* countedAllocate(std::size_t size) {
  if (countingThisThread) {
    ++allocationsOnThisThread;
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}

void countedRelease(void* memory) noexcept {
  if (countingThisThread && memory != nullptr) {
    ++releasesOnThisThread;
  }
  std::free(memory);
}

}  // namespace

void* operator new(std::size_t size) {
  return countedAllocate(size);
}
void* operator new[](std::size_t size) {
  return countedAllocate(size);
}
void operator delete(void* memory) noexcept {
  countedRelease(memory);
}
void operator delete[](void* memory) noexcept {
  countedRelease(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  countedRelease(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  countedRelease(memory);
}

namespace {

using qv::dsp::EffectChain;
using qv::dsp::EffectError;
using qv::dsp::EffectHandle;
using qv::dsp::ParametricEqParameters;
using qv::dsp::ReverbParameters;
namespace measure = qv::test_signal;

// A small deterministic generator for the control thread's choices.
struct Choices {
  std::uint32_t state = 2463534242u;
  float between(float low, float high) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return low + (high - low) * static_cast<float>(state % 10001u) / 10000.0f;
  }
};

TEST(EffectChainRealtime, ChangesFromAnotherThreadWhileAudioRuns) {
  constexpr int kChannels = 2;
  constexpr std::size_t kBlockFrames = 480;
  constexpr int kChanges = 3000;
  constexpr int kMinBlocks = 300;
  constexpr int kMaxBlocks = 200000;

  EffectChain chain;
  ASSERT_EQ(chain.setFormat(48000.0, kChannels), EffectError::none);
  std::vector<EffectHandle> bands;
  for (const float center : {60.0f, 250.0f, 1000.0f, 3500.0f, 8000.0f, 16000.0f}) {
    bands.push_back(chain.addParametricEq(1));
    ASSERT_EQ(chain.setParameters(bands.back(), ParametricEqParameters{center, 18.0f, 0.0f}), EffectError::none);
  }
  const EffectHandle reverb = chain.addReverb(1);

  std::atomic<int> changesDone{0};
  std::atomic<int> refusedAsExpected{0};
  std::thread control([&] {
    Choices choices;
    EffectHandle extra = qv::dsp::kNoEffect;
    for (int i = 0; i < kChanges; ++i) {
      switch (i % 6) {
        case 0:
        case 1: {
          const std::size_t band = static_cast<std::size_t>(i / 6) % bands.size();
          ParametricEqParameters parameters;
          chain.getParameters(bands[band], parameters);
          parameters.gainDb = choices.between(-15.0f, 15.0f);
          chain.setParameters(bands[band], parameters);
          break;
        }
        case 2:
          chain.setParameters(reverb, ReverbParameters{choices.between(-20.0f, 0.0f), choices.between(-96.0f, 0.0f),
                                                       choices.between(1.0f, 3000.0f), choices.between(0.001f, 1.0f)});
          break;
        case 3:
          if (chain.setParameters(reverb, ReverbParameters{0.0f, std::numeric_limits<float>::quiet_NaN(), 1200.0f,
                                                           0.1f}) == EffectError::outOfRange) {
            ++refusedAsExpected;
          }
          break;
        case 4:
          if (extra == qv::dsp::kNoEffect) {
            extra = choices.between(0.0f, 1.0f) < 0.5f ? chain.addParametricEq(static_cast<int>(i % 3))
                                                       : chain.addReverb(static_cast<int>(i % 3));
          } else {
            chain.remove(extra);
            extra = qv::dsp::kNoEffect;
          }
          break;
        default:
          if (i % 300 == 5) {
            chain.setFormat(48000.0, kChannels);  // restarts every memory while audio runs
          }
          break;
      }
      changesDone.fetch_add(1, std::memory_order_relaxed);
    }
  });

  const std::vector<float> noise = measure::whiteNoise(48000 * kChannels, 0.25f);
  std::vector<float> block(kBlockFrames * kChannels);
  int blocks = 0;
  int invalidBlocks = 0;
  int allocations = 0;
  int releases = 0;
  for (; blocks < kMaxBlocks && (blocks < kMinBlocks || changesDone.load() < kChanges); ++blocks) {
    const std::size_t start = (static_cast<std::size_t>(blocks) * block.size()) % (noise.size() - block.size());
    std::copy_n(noise.begin() + static_cast<std::ptrdiff_t>(start), block.size(), block.begin());
    countingThisThread = true;
    chain.process(block.data(), kBlockFrames, kChannels);
    countingThisThread = false;
    allocations += allocationsOnThisThread;
    releases += releasesOnThisThread;
    allocationsOnThisThread = 0;
    releasesOnThisThread = 0;
    if (!measure::allFiniteWithin(block, 1000.0f)) {
      ++invalidBlocks;
    }
  }
  control.join();

  EXPECT_EQ(changesDone.load(), kChanges);
  EXPECT_EQ(refusedAsExpected.load(), kChanges / 6);
  EXPECT_GE(blocks, kMinBlocks);
  EXPECT_EQ(invalidBlocks, 0) << "of " << blocks << " blocks";
  EXPECT_EQ(allocations, 0) << "the audio side allocated";
  EXPECT_EQ(releases, 0) << "the audio side freed memory";
}

}  // namespace
