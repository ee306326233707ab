#include "reconnect_policy.h"

#include <algorithm>
#include <cctype>

namespace qv::playback {

using qv::engine::ErrorCode;

ReconnectTiming ReconnectTiming::scaled(double factor) const {
  const auto scale = [factor](milliseconds value) {
    return std::max(milliseconds(1), milliseconds(static_cast<long long>(static_cast<double>(value.count()) * factor)));
  };
  ReconnectTiming result = *this;
  std::transform(waits.begin(), waits.end(), result.waits.begin(), scale);
  result.maxOutage = scale(maxOutage);
  result.steadyPlay = scale(steadyPlay);
  return result;
}

int statusCodeOf(std::string_view statusLine) {
  const auto space = statusLine.find(' ');
  if (space == std::string_view::npos || space + 4 > statusLine.size()) {
    return 0;
  }
  const std::string_view digits = statusLine.substr(space + 1, 3);
  const bool threeDigits = std::all_of(digits.begin(), digits.end(),
                                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
  const bool ends = space + 4 == statusLine.size() || statusLine[space + 4] == ' ';
  if (!threeDigits || !ends) {
    return 0;
  }
  return (digits[0] - '0') * 100 + (digits[1] - '0') * 10 + (digits[2] - '0');
}

bool mayHealByWaiting(ErrorCode code, int httpStatus) {
  switch (code) {
    case ErrorCode::HttpStatus:
      return httpStatus < 400 || httpStatus > 499 || httpStatus == 408 || httpStatus == 429;
    case ErrorCode::BadUrl:
    case ErrorCode::UnsupportedFormat:
    case ErrorCode::NoCodec:
    case ErrorCode::PlaylistLoop:
    case ErrorCode::PlaylistTooDeep:
    case ErrorCode::PlaylistEmpty:
    case ErrorCode::NotInitialised:
    case ErrorCode::AlreadyInitialised:
    case ErrorCode::BadHandle:
    case ErrorCode::BadParameter:
    case ErrorCode::BadDevice:
    case ErrorCode::OutputFailed:
      return false;
    default:
      return true;
  }
}

ReconnectPolicy::ReconnectPolicy(ReconnectTiming timing) : m_timing(timing) {}

std::optional<milliseconds> ReconnectPolicy::stationLost(ReconnectClock::time_point now) {
  // Lost again before it played steadily, or before it played at all: the same outage.
  const bool lostSoon =
      m_reconnecting || (m_outageStart && m_playingSince && now - *m_playingSince < m_timing.steadyPlay);
  if (!lostSoon) {
    m_outageStart = now;
    m_attemptsMade = 0;
  }
  m_playingSince.reset();
  return nextAttempt(now);
}

std::optional<milliseconds> ReconnectPolicy::attemptFailed(ErrorCode code, int httpStatus,
                                                           ReconnectClock::time_point now) {
  if (!m_reconnecting) {
    return std::nullopt;  // a station's first open is never retried
  }
  if (!mayHealByWaiting(code, httpStatus)) {
    reset();
    return std::nullopt;
  }
  return nextAttempt(now);
}

void ReconnectPolicy::playing(ReconnectClock::time_point now) {
  m_reconnecting = false;
  m_playingSince = now;
}

void ReconnectPolicy::reset() {
  m_reconnecting = false;
  m_attemptsMade = 0;
  m_outageStart.reset();
  m_playingSince.reset();
}

std::optional<milliseconds> ReconnectPolicy::nextAttempt(ReconnectClock::time_point now) {
  if (m_attemptsMade >= m_timing.maxAttempts) {
    reset();
    return std::nullopt;
  }
  const auto index = std::min<std::size_t>(static_cast<std::size_t>(m_attemptsMade), m_timing.waits.size() - 1);
  const milliseconds wait = m_timing.waits[index];
  if (now + wait - *m_outageStart > m_timing.maxOutage) {
    reset();
    return std::nullopt;
  }
  ++m_attemptsMade;
  m_reconnecting = true;
  return wait;
}

}  // namespace qv::playback
