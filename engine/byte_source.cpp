#include "byte_source.h"

#include "thread_name.h"

#include <cassert>

namespace qv::engine {

ByteSource::ByteSource(ByteRing& ring, const char* threadName) : m_ring(ring), m_threadName(threadName) {}

ByteSource::~ByteSource() {
  // The thread runs the derived class's produce(): it must have been joined before that part went.
  assert(!m_thread.joinable());
}

void ByteSource::start() {
  m_thread = std::thread([this] {
    nameThisThread(m_threadName);
    run();
  });
}

void ByteSource::stop() {
  {
    // Raised under the lock so a waitUnlessStopped() between its check and its wait cannot miss it.
    std::lock_guard lock(m_wakeMutex);
    m_abort = true;
  }
  m_wake.notify_all();
  wakeTransfer();
  m_ring.close();
  if (m_thread.joinable()) {
    m_thread.join();
  }
}

bool ByteSource::waitUnlessStopped(std::chrono::milliseconds duration) {
  std::unique_lock lock(m_wakeMutex);
  return !m_wake.wait_for(lock, duration, [this] { return m_abort.load(); });
}

void ByteSource::run() {
  const ErrorCode error = produce();
  // The error is stored before the ring ends, so whoever sees the end finds why. A stop is no
  // failure.
  if (!m_abort) {
    m_endError = error;
  }
  m_ring.finish();
}

}  // namespace qv::engine
