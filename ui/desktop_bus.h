#pragma once

#include <QDBusMessage>
#include <QString>

namespace qv::ui {

//! How long a call to a desktop service on the session bus may take; the program never waits for
//! one on the GUI thread, so this only bounds when its answer is given up.
inline constexpr int kDesktopCallTimeoutMs = 5000;

//! A method call to a freedesktop service whose interface has the service's name, at `path`.
inline QDBusMessage desktopServiceCall(const QString& service, const QString& path, const QString& method) {
  return QDBusMessage::createMethodCall(service, path, service, method);
}

}  // namespace qv::ui
