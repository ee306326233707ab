#pragma once

#include "byte_ring.h"
#include "engine_types.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace qv::engine {

//! What fills a stream's ByteRing from the network on a thread of its own: one transfer
//! (NetReader) or the segments of an HLS playlist (HlsReader). The thread, its stop and the
//! hand-off of the end to the ring are kept here; a source writes `produce()`.
//! A derived class calls stop() in its destructor, while its own members still exist.
class ByteSource {
 public:
  virtual ~ByteSource();
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  void start();
  //! Ends every transfer and wait at once and joins the thread.
  void stop();
  //! The error that ended the data (Ok while running, after a clean end or after a stop).
  ErrorCode endError() const { return m_endError.load(); }
  //! Bytes received so far.
  std::uint64_t bodyBytes() const { return m_bodyBytes.load(); }
  std::thread::id threadId() const { return m_thread.get_id(); }

 protected:
  //! `threadName` names the thread for debuggers and per-thread figures.
  ByteSource(ByteRing& ring, const char* threadName);

  //! Fills the ring until the data ends or stop() is called; returns the error that ended it.
  //! The ring is finished afterwards, once the error is stored.
  virtual ErrorCode produce() = 0;
  //! Called by stop() to end a wait the source has in a library of its own (curl's poll).
  virtual void wakeTransfer() {}

  bool stopping() const { return m_abort.load(); }
  //! The flag stop() raises, for fetches that watch it themselves.
  const std::atomic<bool>& stopFlag() const { return m_abort; }
  //! Sleeps up to `duration`; false when stopped meanwhile.
  bool waitUnlessStopped(std::chrono::milliseconds duration);
  void addBodyBytes(std::uint64_t count) { m_bodyBytes += count; }

  ByteRing& m_ring;

 private:
  void run();

  const char* m_threadName;
  std::thread m_thread;
  std::atomic<bool> m_abort{false};
  std::atomic<ErrorCode> m_endError{ErrorCode::Ok};
  std::atomic<std::uint64_t> m_bodyBytes{0};
  std::mutex m_wakeMutex;
  std::condition_variable m_wake;
};

}  // namespace qv::engine
