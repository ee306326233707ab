#pragma once

#include <QString>

#include <memory>

namespace qv::ui {

//! The desktop's notifications, as `Play` uses them. The tray work brings the desktop
//! realisation; until then the default one only writes to the log that none is shown.
class Notifier {
 public:
  virtual ~Notifier() = default;
  //! Takes back the program's earlier notifications.
  virtual void withdrawAll() = 0;
  virtual void present(const QString& name, const QString& title, const QString& body) = 0;
};

std::unique_ptr<Notifier> makeDefaultNotifier();

}  // namespace qv::ui
