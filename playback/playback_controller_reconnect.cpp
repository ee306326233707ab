// Reconnection: a station that ends without the user asking is opened again after the policy's
// waits, while the window shows the attempt, the Stop button and keeps the system awake.
#include "playback_controller.h"

#include "listening_texts.h"
#include "settings/settings_model.h"
#include "stream_opener.h"

#include <QTimer>

namespace qv::playback {

namespace {

QString reconnectingText(int attempt) {
  const QString text =
      qv::l_reconnecting.isEmpty() ? QString::fromUtf8(qv::i18n::listeningTexts().front().builtIn) : qv::l_reconnecting;
  return text.arg(attempt);
}

}  // namespace

void PlaybackController::setReconnectTiming(const ReconnectTiming& timing) {
  m_reconnect = ReconnectPolicy(timing);
}

bool PlaybackController::reconnectAfterLoss() {
  if (!m_settings.value(qv::settings::Reconnect) || !m_heard || m_stationLink.isEmpty()) {
    return false;
  }
  const std::optional<std::chrono::milliseconds> wait = m_reconnect.stationLost(ReconnectClock::now());
  if (!wait) {
    endReconnecting();
    return false;
  }
  scheduleAttempt(*wait);
  return true;
}

bool PlaybackController::reconnectAfterFailure(int errorCode) {
  if (m_reconnectPhase != ReconnectPhase::Opening) {
    return false;
  }
  const std::optional<std::chrono::milliseconds> wait =
      m_reconnect.attemptFailed(static_cast<qv::engine::ErrorCode>(errorCode), m_lastStatus, ReconnectClock::now());
  if (!wait) {
    endReconnecting();  // the failure is shown as any failed open is
    return false;
  }
  scheduleAttempt(*wait);
  return true;
}

void PlaybackController::scheduleAttempt(std::chrono::milliseconds wait) {
  m_reconnectPhase = ReconnectPhase::Waiting;
  m_reconnectTimer->start(wait);
  m_title.clear();
  StatusView view;
  view.trackLabel = view.leftLevel = view.rightLevel = QString();
  setState(PlaybackState::Connecting);
  apply(duringReconnect(view));
  emit reconnectChanged(m_reconnect.attempt());
}

void PlaybackController::openAttempt() {
  if (m_reconnectPhase != ReconnectPhase::Waiting) {
    return;
  }
  if (m_opener->openPending()) {
    m_reconnectTimer->start(100);  // an open the user asked for is still running
    return;
  }
  m_reconnectPhase = ReconnectPhase::Opening;
  m_lastStatus = 0;
  qv::engine::setProxy(m_settings.value(qv::settings::ProxyServer).toUtf8().constData());
  m_opener->open(m_stationLink, startSound());
  setState(PlaybackState::Connecting);
}

void PlaybackController::endReconnecting() {
  if (m_reconnectPhase == ReconnectPhase::Off) {
    return;
  }
  m_reconnectTimer->stop();
  m_reconnectPhase = ReconnectPhase::Off;
  emit reconnectChanged(0);
}

StatusView PlaybackController::duringReconnect(StatusView view) const {
  if (m_reconnectPhase == ReconnectPhase::Off) {
    return view;
  }
  // Connecting, buffering and failure texts give way to the attempt; status lines still show.
  view.stationLabel = reconnectingText(m_reconnect.attempt());
  view.playButtons = PlayButtonImage::Stop;
  view.playingShown = true;
  view.sleep = SleepRequest::KeepAwake;
  view.beep = false;
  return view;
}

}  // namespace qv::playback
