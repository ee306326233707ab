// Keep-awake over the ScreenSaver interface, on a private session bus with a small stand-in for
// the desktop's screen saver.
#include "keep_awake.h"
#include "private_bus.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  QSet<uint> held;
  int inhibitCalls = 0;

 public slots:
  uint Inhibit(const QString&, const QString&) {
    ++inhibitCalls;
    held.insert(m_next);
    return m_next++;
  }
  void UnInhibit(uint cookie) { held.remove(cookie); }

 private:
  uint m_next = 1;
};

TEST(KeepAwake, HoldsOneInhibitWhilePlayingAndReleasesIt) {
  PrivateBus bus;
  if (!bus.ok()) {
    GTEST_SKIP() << "dbus-daemon is missing or did not start (scripts/install-deps.sh installs it)";
  }
  FakeScreenSaver screenSaver;
  {
    QDBusConnection service = QDBusConnection::connectToBus(bus.address, QStringLiteral("test-screen-saver"));
    ASSERT_TRUE(service.isConnected());
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
                                       QDBusConnection::ExportAllSlots));

    auto keepAwake = qv::ui::makeScreenSaverKeepAwake(bus.address);
    keepAwake->keepAwake();
    keepAwake->keepAwake();  // a second play request holds the same inhibit
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.held.size() == 1; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(screenSaver.inhibitCalls, 1);
    keepAwake->allowSleep();
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.held.isEmpty(); }, 5000));

    // Stopped before the screen saver answered: the inhibit is released as soon as it arrives.
    keepAwake->keepAwake();
    keepAwake->allowSleep();
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.inhibitCalls == 2 && screenSaver.held.isEmpty(); }, 5000));
    QTest::qWait(50);
    EXPECT_TRUE(screenSaver.held.isEmpty());

    // Ending the program while playing lets the system sleep again.
    keepAwake->keepAwake();
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.held.size() == 1; }, 5000));
    keepAwake.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return screenSaver.held.isEmpty(); }, 5000))
        << screenSaver.held.size() << " held after " << screenSaver.inhibitCalls << " inhibits";
    service.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
  }
  QDBusConnection::disconnectFromBus(QStringLiteral("test-screen-saver"));
  QDBusConnection::disconnectFromBus(QStringLiteral("qv-keep-awake-") + bus.address);
}

}  // namespace

#include "keep_awake_test.moc"
