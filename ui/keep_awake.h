#pragma once

#include "keep_awake_port.h"

#include <QString>

#include <memory>

namespace qv::ui {

using KeepAwake = qv::playback::KeepAwake;

//! The desktop's way: the ScreenSaver inhibit on the session bus (Linux), the thread execution
//! state (Windows).
std::unique_ptr<KeepAwake> makeSystemKeepAwake();

#ifndef Q_OS_WIN
//! The ScreenSaver inhibit on the bus at `busAddress`; the calls never wait for the bus.
std::unique_ptr<KeepAwake> makeScreenSaverKeepAwake(const QString& busAddress);
#endif

}  // namespace qv::ui
