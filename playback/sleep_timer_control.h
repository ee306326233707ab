#pragma once

#include "sleep_timer.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

namespace qv::playback {

class PlaybackController;

//! The sleep timer as the menus and the tray use it: choose minutes, cancel, read the time left.
//! It drives the playback controller (its volume and stop), never the engine. GUI thread only.
class SleepTimerControl : public QObject {
  Q_OBJECT

 public:
  //! The choices the menus offer, in minutes.
  static constexpr int kChoicesMinutes[] = {15, 30, 45, 60, 90};

  explicit SleepTimerControl(PlaybackController& controller, QObject* parent = nullptr);
  ~SleepTimerControl() override;

  //! Starts or replaces the timer.
  void start(std::chrono::milliseconds duration);
  void startMinutes(int minutes) { start(std::chrono::minutes(minutes)); }
  //! "Off"; also undoes a fade in progress. Call before the volume is saved at close.
  void cancel();

  bool active() const;
  //! Time left; zero when off.
  std::chrono::milliseconds remaining() const;
  //! "m:ss" (or "h:mm:ss") of the time left; empty when off.
  QString remainingText() const;

  //! Tests: the fade's length and the ticking interval, scaled down, and the clock the timer reads.
  void setFade(std::chrono::milliseconds fade);
  void setTickInterval(std::chrono::milliseconds interval);
  void setClock(std::function<SleepTimer::Clock::time_point()> now);

 signals:
  //! Once a second while running, and when started, cancelled or expired (then empty).
  void remainingChanged(const QString& text);

 private:
  void tick();

  class Target;
  std::unique_ptr<Target> m_target;
  std::unique_ptr<SleepTimer> m_timer;
  QTimer* m_ticker;
  std::function<SleepTimer::Clock::time_point()> m_now;
  //! The text last told: a tick tells only a change from it.
  QString m_shown;
};

//! "m:ss", or "h:mm:ss" from an hour on.
QString formatRemaining(std::chrono::milliseconds remaining);

}  // namespace qv::playback
