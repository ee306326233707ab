#include "notifier.h"

#include <QIcon>
#include <QSystemTrayIcon>

namespace qv::ui {

namespace {

// The tray icon's balloon: it goes by itself, and a new message replaces the one on screen.
class TrayMessageNotifier final : public Notifier {
 public:
  explicit TrayMessageNotifier(QSystemTrayIcon& trayIcon) : m_trayIcon(trayIcon) {}

  void withdrawAll() override {}
  void present(const Notification& notification) override {
    const QIcon image = notification.imagePath.isEmpty() ? m_trayIcon.icon() : QIcon(notification.imagePath);
    m_trayIcon.showMessage(notification.title, notification.body, image);
  }

 private:
  QSystemTrayIcon& m_trayIcon;
};

}  // namespace

std::unique_ptr<Notifier> makeSystemNotifier(QSystemTrayIcon& trayIcon) {
  return std::make_unique<TrayMessageNotifier>(trayIcon);
}

}  // namespace qv::ui
