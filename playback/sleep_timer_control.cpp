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
      m_ticker(new QTimer(this)),
      m_now([] { return SleepTimer::Clock::now(); }) {
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

void SleepTimerControl::setClock(std::function<SleepTimer::Clock::time_point()> now) {
  m_now = std::move(now);
}

void SleepTimerControl::start(std::chrono::milliseconds duration) {
  m_timer->start(duration, m_now());
  m_ticker->start();
  m_shown = remainingText();
  emit remainingChanged(m_shown);
}

void SleepTimerControl::cancel() {
  m_timer->cancel();
  m_ticker->stop();
  m_shown.clear();
  emit remainingChanged(m_shown);
}

bool SleepTimerControl::active() const {
  return m_timer->active();
}

std::chrono::milliseconds SleepTimerControl::remaining() const {
  return m_timer->remaining(m_now()).value_or(std::chrono::milliseconds(0));
}

QString SleepTimerControl::remainingText() const {
  return active() ? formatRemaining(remaining()) : QString();
}

// Compared with the text told last, not with one made a moment before this tick: the two would
// almost always read the same second, and the caption would stand still.
void SleepTimerControl::tick() {
  m_timer->tick(m_now());
  if (!m_timer->active()) {
    m_ticker->stop();
  }
  if (const QString now = remainingText(); now != m_shown) {
    m_shown = now;
    emit remainingChanged(m_shown);
  }
}

}  // namespace qv::playback
