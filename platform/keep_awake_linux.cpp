#include "keep_awake.h"

#include "desktop_bus.h"
#include "lifecycle_log.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>

#include <optional>
#include <utility>

namespace qv::ui {

namespace {

QDBusMessage screenSaverCall(const QString& method) {
  return desktopServiceCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                            QStringLiteral("/org/freedesktop/ScreenSaver"), method);
}

// The GUI thread never waits for the bus: Inhibit's cookie arrives later, and a release asked for
// in the meantime is carried out when it does.
class ScreenSaverKeepAwake final : public KeepAwake {
 public:
  explicit ScreenSaverKeepAwake(QDBusConnection bus) : m_bus(std::move(bus)) {}

  // At the end of the program an inhibit still on its way is awaited (within the call's time-out),
  // so that the system is never left awake by a player that has gone.
  ~ScreenSaverKeepAwake() override {
    if (QDBusPendingCallWatcher* pending = m_pending) {
      pending->waitForFinished();  // may run the finished handler, which takes the cookie
      const QDBusPendingReply<uint> reply = *pending;
      if (!m_cookie && reply.isValid()) {
        m_cookie = reply.value();
      }
    }
    if (m_cookie) {
      m_bus.send(screenSaverCall(QStringLiteral("UnInhibit")) << *m_cookie);
    }
  }

  void keepAwake() override {
    m_wanted = true;
    if (m_cookie || m_pending != nullptr) {
      return;
    }
    if (!m_bus.isConnected()) {
      logOnce(QStringLiteral("no session bus: the screen saver is not held off while playing"));
      return;
    }
    QDBusMessage inhibit = screenSaverCall(QStringLiteral("Inhibit"));
    inhibit << QStringLiteral("Quorventale") << QStringLiteral("Playing a radio station");
    m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(inhibit, kDesktopCallTimeoutMs), &m_context);
    QObject::connect(m_pending, &QDBusPendingCallWatcher::finished, &m_context, [this](QDBusPendingCallWatcher* call) {
      call->deleteLater();
      m_pending = nullptr;
      const QDBusPendingReply<uint> reply = *call;
      if (reply.isError()) {
        logOnce(QStringLiteral("the screen saver refused to be held off: ") + reply.error().message());
        return;
      }
      m_cookie = reply.value();
      if (!m_wanted) {
        allowSleep();
      }
    });
  }

  void allowSleep() override {
    m_wanted = false;
    if (m_cookie) {
      m_bus.send(screenSaverCall(QStringLiteral("UnInhibit")) << *m_cookie);
      m_cookie.reset();
    }
  }

 private:
  void logOnce(const QString& message) {
    if (!std::exchange(m_logged, true)) {
      qCWarning(lcLifecycle).noquote() << "keep awake:" << message;
    }
  }

  QDBusConnection m_bus;
  QObject m_context;  // owns the pending calls; they end with this object
  std::optional<uint> m_cookie;
  bool m_wanted = false;
  QDBusPendingCallWatcher* m_pending = nullptr;  // the Inhibit call on its way
  bool m_logged = false;
};

}  // namespace

std::unique_ptr<KeepAwake> makeSystemKeepAwake() {
  return std::make_unique<ScreenSaverKeepAwake>(QDBusConnection::sessionBus());
}

std::unique_ptr<KeepAwake> makeScreenSaverKeepAwake(const QString& busAddress) {
  return std::make_unique<ScreenSaverKeepAwake>(
      QDBusConnection::connectToBus(busAddress, QStringLiteral("qv-keep-awake-") + busAddress));
}

}  // namespace qv::ui
