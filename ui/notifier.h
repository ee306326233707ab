#pragma once

#include <QString>

#include <memory>

class QSystemTrayIcon;

namespace qv::ui {

//! One desktop notification of the program.
struct Notification {
  QString name;  // what it is about ("StationChanged")
  QString title;
  QString body;
  QString imagePath;  // a local image file (the station's logo); empty for the program's icon
};

//! The desktop's notifications, as `Play` uses them. Never waits for the desktop. GUI thread only.
class Notifier {
 public:
  virtual ~Notifier() = default;
  //! Takes back the program's earlier notifications. A notification presented right after takes
  //! the earlier one's place instead.
  virtual void withdrawAll() = 0;
  virtual void present(const Notification& notification) = 0;
};

//! The desktop's notification centre: org.freedesktop.Notifications on the session bus (Linux), the
//! tray icon's messages (Windows).
std::unique_ptr<Notifier> makeSystemNotifier(QSystemTrayIcon& trayIcon);

#ifndef Q_OS_WIN
//! The notification centre on the bus at `busAddress` (a private bus in tests).
std::unique_ptr<Notifier> makeDesktopNotifier(const QString& busAddress);
#endif

}  // namespace qv::ui
