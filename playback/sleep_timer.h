#pragma once

#include <chrono>
#include <optional>

namespace qv::playback {

//! What the sleep timer drives: the playback controller's volume and stop.
class SleepTarget {
 public:
  virtual ~SleepTarget() = default;
  virtual int volume() const = 0;
  virtual void setVolume(int percent) = 0;
  virtual void stop() = 0;
};

//! Stops playback when its time is up, fading the volume to zero over the last `fade` first, and
//! then puts the volume control back where it was. A plain rule with the time passed in: the
//! owner calls tick() a few times a second (tests with a time scaled down).
class SleepTimer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kFade{30000};

  explicit SleepTimer(SleepTarget& target, std::chrono::milliseconds fade = kFade);

  //! Starts (or replaces) the timer: playback stops `duration` from `now`. A fade in progress is
  //! undone first.
  void start(std::chrono::milliseconds duration, Clock::time_point now);
  //! "Off": no stop comes; a fade in progress is undone.
  void cancel();
  void tick(Clock::time_point now);

  bool active() const { return m_end.has_value(); }
  bool fading() const { return m_fadeFrom.has_value(); }
  //! Time left, rounded up to whole seconds' worth of milliseconds; nothing when off.
  std::optional<std::chrono::milliseconds> remaining(Clock::time_point now) const;

 private:
  void restoreVolume();

  SleepTarget& m_target;
  std::chrono::milliseconds m_fade;
  std::optional<Clock::time_point> m_end;
  std::optional<int> m_fadeFrom;  // the volume when the fade began
  int m_lastSet = -1;             // the volume the fade set last; another one means the user moved it
  bool m_userTookOver = false;
};

}  // namespace qv::playback
