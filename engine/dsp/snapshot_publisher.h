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
    delete current_.load();
    for (const Snapshot* snapshot : retired_) {
      delete snapshot;
    }
  }

  //! Writer side: replaces the current snapshot (null allowed) and frees replaced ones that the
  //! reader no longer uses. Throws only std::bad_alloc, and then changes nothing.
  void publish(std::unique_ptr<const Snapshot> next) {
    retired_.reserve(retired_.size() + 1);
    const Snapshot* previous = current_.exchange(next.release());
    if (previous != nullptr) {
      retired_.push_back(previous);
    }
    reclaim();
  }

  //! Writer side: the snapshot last published.
  const Snapshot* current() const { return current_.load(); }

  //! Reader side: keeps the snapshot it holds alive until it goes out of scope.
  class ReadGuard {
   public:
    explicit ReadGuard(SnapshotPublisher& publisher) noexcept : publisher_(publisher) {
      const Snapshot* snapshot = publisher_.current_.load();
      for (;;) {
        publisher_.inUse_.store(snapshot);
        const Snapshot* again = publisher_.current_.load();
        if (again == snapshot) {
          break;
        }
        snapshot = again;  // a writer published meanwhile: announce the newer one
      }
      snapshot_ = snapshot;
    }
    ~ReadGuard() { publisher_.inUse_.store(nullptr, std::memory_order_release); }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

    const Snapshot* get() const noexcept { return snapshot_; }

   private:
    SnapshotPublisher& publisher_;
    const Snapshot* snapshot_ = nullptr;
  };

  ReadGuard read() noexcept { return ReadGuard(*this); }

 private:
  void reclaim() noexcept {
    // Sequentially consistent with the reader's announce-then-check: a snapshot replaced before
    // the reader's check is never announced for long; one announced before it is seen here.
    const Snapshot* inUse = inUse_.load();
    std::size_t kept = 0;
    for (const Snapshot* snapshot : retired_) {
      if (snapshot == inUse) {
        retired_[kept++] = snapshot;
      } else {
        delete snapshot;
      }
    }
    retired_.resize(kept);
  }

  std::atomic<const Snapshot*> current_{nullptr};
  std::atomic<const Snapshot*> inUse_{nullptr};
  std::vector<const Snapshot*> retired_;
};

}  // namespace qv::dsp
