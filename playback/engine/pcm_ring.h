#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

namespace qv::engine {

//! Single-producer, single-consumer ring of interleaved stereo float frames: the decoder writes,
//! the audio callback reads. Lock-free and allocation-free after construction.
class PcmRing {
 public:
  static constexpr int kChannels = 2;

  explicit PcmRing(std::size_t capacityFrames) : m_capacity(capacityFrames), m_data(capacityFrames * kChannels) {}

  std::size_t capacityFrames() const { return m_capacity; }
  std::size_t availableFrames() const {
    return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
  }
  std::size_t freeFrames() const { return m_capacity - availableFrames(); }
  //! Frames ever written and ever read: positions in the stream's audio.
  std::size_t writtenTotal() const { return m_written.load(std::memory_order_acquire); }
  std::size_t readTotal() const { return m_read.load(std::memory_order_acquire); }

  //! Producer: copies as many frames as fit; returns that number.
  std::size_t write(const float* frames, std::size_t count) {
    const std::size_t written = m_written.load(std::memory_order_relaxed);
    const std::size_t room = m_capacity - (written - m_read.load(std::memory_order_acquire));
    count = std::min(count, room);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = ((written + i) % m_capacity) * kChannels;
      m_data[at] = frames[i * kChannels];
      m_data[at + 1] = frames[i * kChannels + 1];
    }
    m_written.store(written + count, std::memory_order_release);
    return count;
  }

  //! Consumer: copies up to `count` frames; returns that number.
  std::size_t read(float* out, std::size_t count) {
    const std::size_t read = m_read.load(std::memory_order_relaxed);
    count = std::min(count, m_written.load(std::memory_order_acquire) - read);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = ((read + i) % m_capacity) * kChannels;
      out[i * kChannels] = m_data[at];
      out[i * kChannels + 1] = m_data[at + 1];
    }
    m_read.store(read + count, std::memory_order_release);
    return count;
  }

 private:
  const std::size_t m_capacity;
  std::vector<float> m_data;
  std::atomic<std::size_t> m_written{0};  // frames ever written; producer
  std::atomic<std::size_t> m_read{0};     // frames ever read; consumer
};

}  // namespace qv::engine
