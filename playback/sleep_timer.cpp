#include "sleep_timer.h"

#include <algorithm>
#include <cmath>

namespace qv::playback {

SleepTimer::SleepTimer(SleepTarget& target, std::chrono::milliseconds fade) : m_target(target), m_fade(fade) {}

void SleepTimer::start(std::chrono::milliseconds duration, Clock::time_point now) {
  cancel();
  m_end = now + duration;
}

void SleepTimer::cancel() {
  restoreVolume();
  m_end.reset();
  m_userTookOver = false;
}

void SleepTimer::restoreVolume() {
  if (m_fadeFrom) {
    m_target.setVolume(*m_fadeFrom);
  }
  m_fadeFrom.reset();
}

void SleepTimer::tick(Clock::time_point now) {
  if (!m_end) {
    return;
  }
  if (now >= *m_end) {
    m_target.stop();
    cancel();
    return;
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*m_end - now);
  if (left > m_fade) {
    return;
  }
  if (m_userTookOver) {
    return;
  }
  if (!m_fadeFrom) {
    m_fadeFrom = m_target.volume();
  } else if (m_target.volume() != m_lastSet) {
    // The user moved the volume during the fade: theirs stands, and stays after the stop.
    m_fadeFrom.reset();
    m_userTookOver = true;
    return;
  }
  const double share = static_cast<double>(left.count()) / static_cast<double>(m_fade.count());
  m_lastSet = static_cast<int>(std::lround(*m_fadeFrom * std::clamp(share, 0.0, 1.0)));
  m_target.setVolume(m_lastSet);
}

std::optional<std::chrono::milliseconds> SleepTimer::remaining(Clock::time_point now) const {
  if (!m_end) {
    return std::nullopt;
  }
  return std::max(std::chrono::milliseconds(0), std::chrono::ceil<std::chrono::milliseconds>(*m_end - now));
}

}  // namespace qv::playback
