#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
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
    copyIn(written % m_capacity, frames, count);
    m_written.store(written + count, std::memory_order_release);
    return count;
  }

  //! Consumer: copies up to `count` frames; returns that number.
  std::size_t read(float* out, std::size_t count) {
    const std::size_t read = m_read.load(std::memory_order_relaxed);
    count = std::min(count, m_written.load(std::memory_order_acquire) - read);
    const std::size_t at = read % m_capacity;
    const std::size_t first = std::min(count, m_capacity - at);
    std::memcpy(out, m_data.data() + at * kChannels, first * kChannels * sizeof(float));
    std::memcpy(out + first * kChannels, m_data.data(), (count - first) * kChannels * sizeof(float));
    m_read.store(read + count, std::memory_order_release);
    return count;
  }

 private:
  void copyIn(std::size_t at, const float* frames, std::size_t count) {
    const std::size_t first = std::min(count, m_capacity - at);
    std::memcpy(m_data.data() + at * kChannels, frames, first * kChannels * sizeof(float));
    std::memcpy(m_data.data(), frames + first * kChannels, (count - first) * kChannels * sizeof(float));
  }

  const std::size_t m_capacity;
  std::vector<float> m_data;
  std::atomic<std::size_t> m_written{0};  // frames ever written; producer
  std::atomic<std::size_t> m_read{0};     // frames ever read; consumer
};

}  // namespace qv::engine
