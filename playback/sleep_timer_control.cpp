#include "sleep_timer_control.h"

#include "playback_controller.h"

#include <QTimer>

namespace qv::playback {

class SleepTimerControl::Target final : public SleepTarget {
 public:
  explicit Target(PlaybackController& controller) : m_controller(controller) {}
  int volume() const override { return m_controller.volume(); }
  void setVolume(int percent) override { m_controller.setVolume(percent); }
  void stop() override { m_controller.stop(); }

 private:
  PlaybackController& m_controller;
};

QString formatRemaining(std::chrono::milliseconds remaining) {
  const auto seconds = std::chrono::ceil<std::chrono::seconds>(remaining).count();
  if (seconds < 3600) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
  }
  return QStringLiteral("%1:%2:%3")
      .arg(seconds / 3600)
      .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

SleepTimerControl::SleepTimerControl(PlaybackController& controller, QObject* parent)
    : QObject(parent),
      m_target(std::make_unique<Target>(controller)),
      m_timer(std::make_unique<SleepTimer>(*m_target)),
      m_ticker(new QTimer(this)) {
  // A quarter second keeps the fade smooth enough and the caption on the second.
  m_ticker->setInterval(250);
  connect(m_ticker, &QTimer::timeout, this, &SleepTimerControl::tick);
}

SleepTimerControl::~SleepTimerControl() {
  m_timer->cancel();
}

void SleepTimerControl::setFade(std::chrono::milliseconds fade) {
  m_timer->cancel();
  m_timer = std::make_unique<SleepTimer>(*m_target, fade);
}

void SleepTimerControl::setTickInterval(std::chrono::milliseconds interval) {
  m_ticker->setInterval(interval);
}

void SleepTimerControl::start(std::chrono::milliseconds duration) {
  m_timer->start(duration, SleepTimer::Clock::now());
  m_ticker->start();
  emit remainingChanged(remainingText());
}

void SleepTimerControl::cancel() {
  m_timer->cancel();
  m_ticker->stop();
  emit remainingChanged(QString());
}

bool SleepTimerControl::active() const {
  return m_timer->active();
}

std::chrono::milliseconds SleepTimerControl::remaining() const {
  return m_timer->remaining(SleepTimer::Clock::now()).value_or(std::chrono::milliseconds(0));
}

QString SleepTimerControl::remainingText() const {
  return active() ? formatRemaining(remaining()) : QString();
}

void SleepTimerControl::tick() {
  const QString before = remainingText();
  m_timer->tick(SleepTimer::Clock::now());
  if (!m_timer->active()) {
    m_ticker->stop();
  }
  const QString after = remainingText();
  if (after != before || !m_timer->active()) {
    emit remainingChanged(after);
  }
}

}  // namespace qv::playback
