#pragma once

#include <atomic>
#include <memory>
#include <vector>

namespace qv::dsp {

//! Hands immutable snapshots from writers to one real-time reader without locks on the reader's
//! side and without the reader ever freeing memory.
//!
//! The reader announces the snapshot it is about to use, then checks that it is still the
//! current one; a writer frees a replaced snapshot only when the reader has not announced it.
//! Writers must serialise their calls themselves (the owner holds a mutex); at most one thread
//! reads at a time. At most one replaced snapshot outlives a publish, and the destructor frees
//! everything, so nothing leaks.
template <typename Snapshot>
class SnapshotPublisher {
 public:
  SnapshotPublisher() = default;
  SnapshotPublisher(const SnapshotPublisher&) = delete;
  SnapshotPublisher& operator=(const SnapshotPublisher&) = delete;

  //! No reader may be active any more.
  ~SnapshotPublisher() {
    delete m_current.load();
    for (const Snapshot* snapshot : m_retired) {
      delete snapshot;
    }
  }

  //! Writer side: replaces the current snapshot (null allowed) and frees replaced ones that the
  //! reader no longer uses. Throws only std::bad_alloc, and then changes nothing.
  void publish(std::unique_ptr<const Snapshot> next) {
    m_retired.reserve(m_retired.size() + 1);
    const Snapshot* previous = m_current.exchange(next.release());
    if (previous != nullptr) {
      m_retired.push_back(previous);
    }
    reclaim();
  }

  //! Writer side: the snapshot last published.
  const Snapshot* current() const { return m_current.load(); }

  //! Reader side: keeps the snapshot it holds alive until it goes out of scope.
  class ReadGuard {
   public:
    explicit ReadGuard(SnapshotPublisher& publisher) noexcept : m_publisher(publisher) {
      const Snapshot* snapshot = m_publisher.m_current.load();
      for (;;) {
        m_publisher.m_inUse.store(snapshot);
        const Snapshot* again = m_publisher.m_current.load();
        if (again == snapshot) {
          break;
        }
        snapshot = again;  // a writer published meanwhile: announce the newer one
      }
      m_snapshot = snapshot;
    }
    ~ReadGuard() { m_publisher.m_inUse.store(nullptr, std::memory_order_release); }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

    const Snapshot* get() const noexcept { return m_snapshot; }

   private:
    SnapshotPublisher& m_publisher;
    const Snapshot* m_snapshot = nullptr;
  };

  ReadGuard read() noexcept { return ReadGuard(*this); }

 private:
  void reclaim() noexcept {
    // Sequentially consistent with the reader's announce-then-check: a snapshot replaced before
    // the reader's check is never announced for long; one announced before it is seen here.
    const Snapshot* inUse = m_inUse.load();
    std::size_t kept = 0;
    for (const Snapshot* snapshot : m_retired) {
      if (snapshot == inUse) {
        m_retired[kept++] = snapshot;
      } else {
        delete snapshot;
      }
    }
    m_retired.resize(kept);
  }

  std::atomic<const Snapshot*> m_current{nullptr};
  std::atomic<const Snapshot*> m_inUse{nullptr};
  std::vector<const Snapshot*> m_retired;
};

}  // namespace qv::dsp
