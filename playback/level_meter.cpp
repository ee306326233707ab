#include "level_meter.h"

#include <utility>

namespace qv::playback {

int bracketCount(int level) {
  if (level >= 25000) {
    return 3;
  }
  if (level >= 10000) {
    return 2;
  }
  return level >= 500 ? 1 : 0;
}

LevelBrackets levelBrackets(std::optional<std::uint32_t> levelWord) {
  if (!levelWord) {
    return {};
  }
  const int left = static_cast<int>(*levelWord & 0xFFFFu);
  const int right = static_cast<int>(*levelWord >> 16);
  return {QString(bracketCount(left), QLatin1Char('(')), QString(bracketCount(right), QLatin1Char(')'))};
}

namespace {

int bracketCode(std::uint32_t levelWord) {
  if (levelWord == UINT32_MAX) {
    return 16;
  }
  return bracketCount(static_cast<int>(levelWord & 0xFFFFu)) | (bracketCount(static_cast<int>(levelWord >> 16)) << 2);
}

}  // namespace

LevelSignal::LevelSignal(std::function<void()> wake) : m_wake(std::move(wake)) {}

void LevelSignal::tell(std::uint32_t levelWord) {
  const int code = bracketCode(levelWord);
  // Held while the wake is queued, so detach() never returns while one is being queued.
  const std::lock_guard lock(m_mutex);
  if (code == m_bracketCode) {
    return;
  }
  m_bracketCode = code;
  m_level = levelWord;
  if (!m_woken && m_wake) {
    m_woken = true;
    m_wake();
  }
}

std::optional<std::uint32_t> LevelSignal::take() {
  const std::lock_guard lock(m_mutex);
  m_woken = false;
  return m_level == UINT32_MAX ? std::nullopt : std::optional<std::uint32_t>(m_level);
}

void LevelSignal::forget() {
  const std::lock_guard lock(m_mutex);
  m_bracketCode = -1;
}

void LevelSignal::detach() {
  const std::lock_guard lock(m_mutex);
  m_wake = nullptr;
}

}  // namespace qv::playback
