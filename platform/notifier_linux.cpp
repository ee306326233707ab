#include "notifier.h"

#include "desktop_bus.h"
#include "lifecycle_log.h"
#include "version.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <optional>
#include <utility>

namespace qv::ui {

namespace {

QDBusMessage notificationsCall(const QString& method) {
  return desktopServiceCall(QStringLiteral("org.freedesktop.Notifications"),
                            QStringLiteral("/org/freedesktop/Notifications"), method);
}

// Each notification replaces the one before (replaces_id), so a quick run of station changes
// leaves only the newest on screen. Notify's id arrives later: a notification asked for meanwhile
// waits for it, and only the newest of those is sent.
class DesktopNotifier final : public Notifier {
 public:
  explicit DesktopNotifier(QDBusConnection bus) : m_bus(std::move(bus)) {}

  void withdrawAll() override {
    // Deferred: a present() that follows at once replaces the notification instead.
    m_closeWanted = true;
    QTimer::singleShot(0, &m_context, [this] {
      if (std::exchange(m_closeWanted, false) && m_shownId != 0) {
        m_bus.send(notificationsCall(QStringLiteral("CloseNotification")) << m_shownId);
        m_shownId = 0;
      }
    });
  }

  void present(const Notification& notification) override {
    m_closeWanted = false;
    if (!m_bus.isConnected()) {
      if (!std::exchange(m_logged, true)) {
        qCInfo(lcLifecycle) << "notifications: no session bus, none is shown";
      }
      return;
    }
    if (m_pending) {
      m_waiting = notification;
      return;
    }
    send(notification);
  }

 private:
  void send(const Notification& notification) {
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QLatin1String(kApplicationId));
    if (!notification.imagePath.isEmpty()) {
      hints.insert(QStringLiteral("image-path"), QUrl::fromLocalFile(notification.imagePath).toString());
    }
    QDBusMessage notify = notificationsCall(QStringLiteral("Notify"));
    notify << QStringLiteral("Quorventale") << m_shownId << QLatin1String(kApplicationId) << notification.title
           << notification.body << QStringList() << hints << -1;
    m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(notify, kDesktopCallTimeoutMs), &m_context);
    QObject::connect(m_pending, &QDBusPendingCallWatcher::finished, &m_context, [this](QDBusPendingCallWatcher* call) {
      call->deleteLater();
      m_pending = nullptr;
      const QDBusPendingReply<uint> reply = *call;
      if (reply.isError()) {
        if (!std::exchange(m_logged, true)) {
          qCInfo(lcLifecycle) << "notifications: the desktop shows none:" << reply.error().message();
        }
      } else {
        m_shownId = reply.value();
      }
      if (std::optional<Notification> next = std::exchange(m_waiting, std::nullopt)) {
        send(*next);
      }
    });
  }

  QDBusConnection m_bus;
  QObject m_context;  // owns the pending call and the deferred close; they end with this object
  uint m_shownId = 0;
  QDBusPendingCallWatcher* m_pending = nullptr;
  std::optional<Notification> m_waiting;
  bool m_closeWanted = false;
  bool m_logged = false;
};

}  // namespace

std::unique_ptr<Notifier> makeSystemNotifier(QSystemTrayIcon&) {
  return std::make_unique<DesktopNotifier>(QDBusConnection::sessionBus());
}

std::unique_ptr<Notifier> makeDesktopNotifier(const QString& busAddress) {
  return std::make_unique<DesktopNotifier>(
      QDBusConnection::connectToBus(busAddress, QStringLiteral("qv-notifier-") + busAddress));
}

}  // namespace qv::ui
