#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

namespace qv::engine {

//! Bounded byte buffer from a stream's network thread (writer) to its decoder (reader). Both sides
//! may wait; neither is real-time, so a mutex is fine here. The writer's wait ends when the reader
//! closes the ring, the reader's when data arrives, the writer finishes or the wait times out.
class ByteRing {
 public:
  explicit ByteRing(std::size_t capacity) : m_data(capacity) {}

  //! Writes all of `data`; false when the ring was closed before everything fitted.
  bool write(const std::uint8_t* data, std::size_t size) {
    std::unique_lock lock(m_mutex);
    while (size > 0) {
      m_spaceOrClose.wait(lock, [&] { return m_closed || m_fill < m_data.size(); });
      if (m_closed) {
        return false;
      }
      const std::size_t chunk = std::min(size, m_data.size() - m_fill);
      const std::size_t at = (m_start + m_fill) % m_data.size();
      const std::size_t first = std::min(chunk, m_data.size() - at);
      std::memcpy(m_data.data() + at, data, first);
      std::memcpy(m_data.data(), data + first, chunk - first);
      m_fill += chunk;
      m_writtenTotal += chunk;
      data += chunk;
      size -= chunk;
      m_dataOrEnd.notify_all();
    }
    return true;
  }

  //! Waits up to `wait` until `size` bytes fit (at most the whole ring); false on time-out or when
  //! the ring was closed. For a writer that pauses its source instead of blocking in write().
  bool waitForSpace(std::size_t size, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    const std::size_t wanted = std::min(size, m_data.size());
    m_spaceOrClose.wait_for(lock, wait, [&] { return m_closed || m_data.size() - m_fill >= wanted; });
    return !m_closed && m_data.size() - m_fill >= wanted;
  }
  std::size_t capacity() {
    std::lock_guard lock(m_mutex);
    return m_data.size();
  }
  //! Whether `size` bytes fit now.
  bool hasSpace(std::size_t size) {
    std::lock_guard lock(m_mutex);
    return m_data.size() - m_fill >= size;
  }

  //! Writer: what is written from now on is a new section (a new format may start there); the
  //! reader is told with ReadStatus::Boundary when it reaches it. Nothing happens at the start.
  void markBoundary() {
    std::lock_guard lock(m_mutex);
    if (m_writtenTotal > 0 && (m_boundaries.empty() || m_boundaries.back() != m_writtenTotal)) {
      m_boundaries.push_back(m_writtenTotal);
    }
  }

  //! Boundary: every byte before a boundary marked by the writer has been read; the next read goes on
  //! after it. A read never returns bytes from both sides of a boundary.
  enum class ReadStatus : std::uint8_t { Data, TimedOut, Finished, Closed, Boundary };

  //! Reads up to `size` bytes into `out`, waiting at most `wait` for the first byte.
  ReadStatus read(std::uint8_t* out, std::size_t size, std::size_t& got, std::chrono::milliseconds wait) {
    std::unique_lock lock(m_mutex);
    got = 0;
    if (!m_dataOrEnd.wait_for(lock, wait, [&] { return m_closed || m_finished || m_fill > 0; })) {
      return ReadStatus::TimedOut;
    }
    if (m_closed) {
      return ReadStatus::Closed;
    }
    const std::uint64_t readTotal = m_writtenTotal - m_fill;
    if (!m_boundaries.empty() && m_boundaries.front() <= readTotal) {
      m_boundaries.pop_front();
      return ReadStatus::Boundary;
    }
    if (m_fill == 0) {
      return ReadStatus::Finished;
    }
    got = std::min(size, m_fill);
    if (!m_boundaries.empty()) {
      got = std::min<std::size_t>(got, m_boundaries.front() - readTotal);
    }
    const std::size_t first = std::min(got, m_data.size() - m_start);
    std::memcpy(out, m_data.data() + m_start, first);
    std::memcpy(out + first, m_data.data(), got - first);
    m_start = (m_start + got) % m_data.size();
    m_fill -= got;
    m_spaceOrClose.notify_all();
    return ReadStatus::Data;
  }

  //! The writer has no more data: the reader gets what is left, then Finished.
  void finish() {
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_dataOrEnd.notify_all();
  }
  //! Ends every wait on both sides at once.
  void close() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_dataOrEnd.notify_all();
    m_spaceOrClose.notify_all();
  }
  //! Puts bytes already read back in front of what is waiting, for a reader that looked at the
  //! start of the data before deciding who reads it. Grows the ring when they do not fit.
  void unread(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
      return;  // nothing to give back (and `data` may be null then)
    }
    std::lock_guard lock(m_mutex);
    std::vector<std::uint8_t> joined(std::max(m_data.size(), m_fill + size));
    std::memcpy(joined.data(), data, size);
    const std::size_t first = std::min(m_fill, m_data.size() - m_start);
    std::memcpy(joined.data() + size, m_data.data() + m_start, first);
    std::memcpy(joined.data() + size + first, m_data.data(), m_fill - first);
    m_data = std::move(joined);
    m_start = 0;
    m_fill += size;
    m_writtenTotal = std::max<std::uint64_t>(m_writtenTotal, m_fill);
    m_dataOrEnd.notify_all();
  }
  //! Empties the ring and makes it usable again after close() or finish(), for the next writer.
  //! No writer or reader may be using it then.
  void reset() {
    std::lock_guard lock(m_mutex);
    m_start = 0;
    m_fill = 0;
    m_writtenTotal = 0;
    m_boundaries.clear();
    m_finished = false;
    m_closed = false;
  }
  //! Wakes a waiting reader without data, so that it can look at other work.
  void wakeReader() { m_dataOrEnd.notify_all(); }

 private:
  std::mutex m_mutex;
  std::condition_variable m_dataOrEnd;
  std::condition_variable m_spaceOrClose;
  std::vector<std::uint8_t> m_data;        // m_mutex
  std::size_t m_start = 0;                 // m_mutex
  std::size_t m_fill = 0;                  // m_mutex
  bool m_finished = false;                 // m_mutex
  bool m_closed = false;                   // m_mutex
  std::uint64_t m_writtenTotal = 0;        // m_mutex; bytes ever written (read: m_writtenTotal - m_fill)
  std::deque<std::uint64_t> m_boundaries;  // m_mutex; where sections begin, in m_writtenTotal's count
};

}  // namespace qv::engine
