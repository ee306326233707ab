#pragma once

#include <QString>

#include <memory>

namespace qv::ui {

//! Keeps the system and the display awake while a station plays. Both calls are cheap and may be
//! repeated: keeping awake twice holds one request, allowing sleep without a request does nothing.
class KeepAwake {
 public:
  virtual ~KeepAwake() = default;
  virtual void keepAwake() = 0;
  virtual void allowSleep() = 0;
};

//! The desktop's way: the ScreenSaver inhibit on the session bus (Linux), the thread execution
//! state (Windows).
std::unique_ptr<KeepAwake> makeSystemKeepAwake();

#ifndef Q_OS_WIN
//! The ScreenSaver inhibit on the bus at `busAddress`; the calls never wait for the bus.
std::unique_ptr<KeepAwake> makeScreenSaverKeepAwake(const QString& busAddress);
#endif

}  // namespace qv::ui
