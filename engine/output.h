#pragma once

#include "engine_types.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv::engine {

class Stream;

//! The audio output: an SDL device whose callback mixes every registered stream. Streams are
//! registered in fixed slots of atomics, so the callback neither locks nor allocates; removal
//! waits until a callback pass that may still see the stream has finished.
class Output {
 public:
  static constexpr std::size_t kMaxStreams = 64;

  //! device -1 default, 0 none, n the n-th device; rateHz 0 (kAutomaticRate): the device's own.
  //! Checks that the device opens; it runs from start() on.
  //! `deferCheck`: the device is first opened when a stream plays, not tried now.
  ErrorCode open(int device, int rateHz, bool deferCheck);
  //! open on the device of that name (empty: the default). A name the system does not report opens
  //! the default instead; `missing` tells so.
  ErrorCode openNamed(const std::string& name, int rateHz, bool deferCheck, bool& missing);
  //! The output devices as the system names them, in its order (device n is the n-th).
  std::vector<std::string> deviceNames();
  //! Moves the output to the device of that name (empty: the default) without taking a stream
  //! out; a running device is reopened at once. False when the system does not report the name
  //! (the default is used then).
  bool moveTo(const std::string& name);
  //! The device in use: its name, empty for the default.
  std::string deviceName();
  //! When the running device has gone away (unplugged, its server gone): moves the output to the
  //! default and tells the watch. Cheap when nothing is lost; called on a
  //! stream's decoder thread, which runs a few times a second while anything plays.
  void recoverIfLost();
  //! Told (outside every lock) when the output moves to the default; see engine.h's OutputWatch.
  void setWatch(std::function<void(OutputChange, const std::string&)> watch);
  void tell(OutputChange change, const std::string& deviceName);
  //! Takes the device as gone, as the audio callback does when SDL stops it: for tests, since
  //! SDL's disk and dummy drivers never lose theirs.
  void markLost() { m_lost.store(true); }
  //! Runs the device (the first time a stream has sound); OutputFailed when it cannot be opened now.
  ErrorCode start();
  //! Whether the device runs (then start() has nothing to do).
  bool running() const { return m_device.load() != 0; }
  //! Whether the device can be opened, tried once: a play that leaves the start to its stream's
  //! first sound still fails at once on a broken output.
  ErrorCode check();
  void close();
  int rateHz() const { return m_rateHz; }

  //! False when every slot is taken.
  bool add(Stream* stream);
  void remove(Stream* stream);

 private:
  static void callback(void* self, std::uint8_t* buffer, int bytes);
  bool openDevice();
  ErrorCode openLocked(int device, int rateHz, bool deferCheck);
  void closeLocked();
  ErrorCode tryDeviceLocked();
  int deviceRateLocked(int device);
  //! The 1-based index of the device of that name, 0 when the system does not report it.
  static int deviceIndex(const std::string& name);

  // A leaf lock: nothing else is taken under it. Closing the device under it joins SDL's audio
  // thread, which is fine because the callback never takes it.
  std::mutex m_deviceMutex;                 // API threads: opening, starting and closing; never the callback
  std::optional<std::string> m_deviceName;  // m_deviceMutex; none: the system's default

  std::atomic<std::uint32_t> m_device{0};                   // SDL device id; 0 = no output. Written under m_deviceMutex
  bool m_sdlStarted = false;                                // m_deviceMutex
  std::optional<ErrorCode> m_checkResult;                   // m_deviceMutex: whether the device opens
  std::atomic<int> m_rateHz{44100};                         // written by open, read by any thread
  std::array<std::atomic<Stream*>, kMaxStreams> m_slots{};  // any thread; the callback reads
  // One period of the float mix: sized under m_deviceMutex while the device is closed, then the
  // callback's alone until the device is closed again.
  std::vector<float> m_mix;
  std::atomic<bool> m_inCallback{false};  // callback writes, remove() reads
  std::mutex m_watchMutex;                // a leaf: the watch is copied under it and called outside
  std::function<void(OutputChange, const std::string&)> m_watch;  // m_watchMutex
  std::atomic<bool> m_lost{false};                                // callback (or a test) sets, recoverIfLost clears
  std::atomic<std::uint64_t> m_passes{0};                         // callback writes, remove() reads
};

}  // namespace qv::engine
