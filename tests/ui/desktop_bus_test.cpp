// The player on a private session bus, as a desktop reaches it: its MPRIS2 service driven the way
// media keys and playerctl drive it, and the notification on a station change, received by a small
// notification server. Stations play from the local test server.
#include "media_keys.h"
#include "mpris/mpris_service.h"
#include "notifier.h"
#include "playback_controller.h"
#include "private_bus.h"
#include "program_run.h"
#include "stream_server.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Collects the player's PropertiesChanged announcements.
class PropertiesWatcher : public QObject {
  Q_OBJECT

 public:
  QList<QVariantMap> changes;

 public slots:
  void changed(const QString& interface, const QVariantMap& properties, const QStringList&) {
    if (interface == kPlayer) {
      changes.append(properties);
    }
  }
};

// The desktop's notification centre: what is on screen, and each Notify as it came.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Shown {
    uint replacesId;
    QString summary;
    QString body;
  };
  QList<Shown> received;
  QMap<uint, QString> onScreen;

 public slots:
  uint Notify(const QString&, uint replacesId, const QString&, const QString& summary, const QString& body,
              const QStringList&, const QVariantMap&, int) {
    received.append({replacesId, summary, body});
    const uint id = onScreen.contains(replacesId) ? replacesId : m_next++;
    onScreen.insert(id, body);
    return id;
  }
  void CloseNotification(uint id) { onScreen.remove(id); }

 private:
  uint m_next = 1;
};

class DesktopBus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus.ok()) {
      GTEST_SKIP() << "dbus-daemon is missing or did not start (scripts/install-deps.sh installs it)";
    }
    ASSERT_TRUE(server.ok()) << server.error();
    client = QDBusConnection::connectToBus(bus.address, QStringLiteral("test-desktop"));
    ASSERT_TRUE(client.isConnected());
    ASSERT_TRUE(run.start());
    const QString link =
        QString::fromStdString(server.url("/icy/sine1k.mp3?metaint=4000&titles=The%20Band%20-%20First%20Song&every=1"));
    MainForm->Stations.replaceAll({{QStringLiteral("Local"), link, {}, {}}, {QStringLiteral("Other"), link, {}, {}}});
    SettingsForm->LoopStationCheckBox->setChecked(false);
  }
  void TearDown() override {
    if (bus.ok()) {
      run.finish();
      QDBusConnection::disconnectFromBus(QStringLiteral("test-desktop"));
    }
  }

  bool serviceOnBus() const {
    return client.interface()->isServiceRegistered(qv::ui::MprisService::kServiceName).value();
  }

  // The GUI thread serves the player too, so the test never blocks on a call.
  QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(qv::ui::MprisService::kServiceName,
                                                          qv::ui::MprisService::kObjectPath, interface, method);
    message.setArguments(arguments);
    QDBusPendingCallWatcher watcher(client.asyncCall(message, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.isFinished(); }, 6000)) << method.toStdString();
    return watcher.reply();
  }
  QVariant property(const QString& name) {
    const QDBusMessage reply =
        call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {kPlayer, name});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.arguments().value(0).value<QDBusVariant>().variant();
  }
  QVariantMap metadata() { return qdbus_cast<QVariantMap>(property(QStringLiteral("Metadata"))); }

  static bool waitFor(const std::function<bool()>& done, int ms = 8000) { return QTest::qWaitFor(done, ms); }

  PrivateBus bus;
  StreamServer server;
  QDBusConnection client{QString()};
  ProgramRun run;
};

TEST_F(DesktopBus, MediaKeysAndTheDesktopsControlsDriveThePlayerOverMpris) {
  MainForm->setMediaKeys(qv::ui::makeMprisMediaKeys(MainForm->mediaPlayer(), bus.address));
  PropertiesWatcher watcher;
  ASSERT_TRUE(client.connect(qv::ui::MprisService::kServiceName, qv::ui::MprisService::kObjectPath,
                             QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                             &watcher, SLOT(changed(QString, QVariantMap, QStringList))));

  // Ticking the settings window's box exports the service; unticking withdraws it.
  SettingsForm->HotkeysCheckBox->setChecked(false);
  SettingsForm->HotkeysCheckBox->setChecked(true);
  ASSERT_TRUE(waitFor([&] { return serviceOnBus(); }));
  EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
  EXPECT_EQ(property(QStringLiteral("CanGoNext")).toBool(), true);
  EXPECT_EQ(property(QStringLiteral("CanGoPrevious")).toBool(), false) << "the first station, looping off";

  // Play/Pause starts the current station; its title reaches Metadata, split at " - ".
  MainForm->CurrentStation = 0;
  call(kPlayer, QStringLiteral("PlayPause"));
  EXPECT_TRUE(
      waitFor([] { return MainForm->playbackController().title() == QStringLiteral("The Band - First Song"); }));
  EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
  QVariantMap now = metadata();
  EXPECT_EQ(now.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("First Song"));
  EXPECT_EQ(now.value(QStringLiteral("xesam:artist")).toStringList(), QStringList{QStringLiteral("The Band")});
  EXPECT_EQ(now.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Local"));
  EXPECT_TRUE(now.value(QStringLiteral("mpris:trackid")).canConvert<QDBusObjectPath>());
  // Every change was announced: the desktop saw the title and the playing state without asking.
  EXPECT_TRUE(waitFor([&] {
    return std::any_of(watcher.changes.begin(), watcher.changes.end(), [](const QVariantMap& change) {
      const QVariantMap shown = qdbus_cast<QVariantMap>(change.value(QStringLiteral("Metadata")));
      return shown.value(QStringLiteral("xesam:title")) == QStringLiteral("First Song");
    });
  }));
  EXPECT_TRUE(std::any_of(watcher.changes.begin(), watcher.changes.end(), [](const QVariantMap& change) {
    return change.value(QStringLiteral("PlaybackStatus")) == QStringLiteral("Playing");
  }));

  // Next and Previous step through the list; a new station stands under its name until its title.
  call(kPlayer, QStringLiteral("Next"));
  EXPECT_EQ(MainForm->CurrentStation, 1);
  EXPECT_EQ(metadata().value(QStringLiteral("xesam:album")).toString(), QStringLiteral("Other"));
  EXPECT_FALSE(property(QStringLiteral("CanGoNext")).toBool()) << "the last station, looping off";
  EXPECT_TRUE(waitFor([] { return MainForm->streamPlaying(); }));
  call(kPlayer, QStringLiteral("Previous"));
  EXPECT_EQ(MainForm->CurrentStation, 0);
  // The station left may still sound while it fades out: wait for the new one itself.
  EXPECT_TRUE(waitFor([] {
    return MainForm->playbackController().state() == qv::playback::PlaybackState::Playing && MainForm->streamPlaying();
  }));

  // The volume is the window's volume control.
  call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
       {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.4))});
  EXPECT_EQ(MainForm->VolumeTB->value(), 40);
  EXPECT_DOUBLE_EQ(property(QStringLiteral("Volume")).toDouble(), 0.4);

  // Play/Pause again stops; Stop then has nothing to stop and starts nothing.
  call(kPlayer, QStringLiteral("PlayPause"));
  EXPECT_TRUE(waitFor([] { return !MainForm->streamActive(); }));
  EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
  call(kPlayer, QStringLiteral("Stop"));
  EXPECT_FALSE(MainForm->streamActive());

  SettingsForm->HotkeysCheckBox->setChecked(false);
  EXPECT_TRUE(waitFor([&] { return !serviceOnBus(); }));
  EXPECT_NE(call(kPlayer, QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(MainForm->CurrentStation, 0) << "a withdrawn service drives nothing";
}

// Stop and Pause end a station in any phase: connecting, buffering or playing. The desktop sees
// the same state the controls act on, so PlaybackStatus turns to Stopped and stays there (an open
// still running when Stop came must not start to play afterwards).
TEST_F(DesktopBus, StopAndPauseEndAStationWhetherItConnectsBuffersOrPlays) {
  MainForm->setMediaKeys(qv::ui::makeMprisMediaKeys(MainForm->mediaPlayer(), bus.address));
  SettingsForm->HotkeysCheckBox->setChecked(false);
  SettingsForm->HotkeysCheckBox->setChecked(true);
  ASSERT_TRUE(waitFor([&] { return serviceOnBus(); }));
  struct Case {
    int gapMs;  // between PlayPause, Next and the stopping call
    const char* method;
  };
  for (const Case& c : {Case{0, "Stop"}, Case{500, "Stop"}, Case{0, "Pause"}, Case{500, "Pause"}}) {
    SCOPED_TRACE(std::string(c.method) + " after " + std::to_string(c.gapMs) + " ms");
    MainForm->CurrentStation = 0;
    call(kPlayer, QStringLiteral("PlayPause"));
    EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    QTest::qWait(c.gapMs);
    call(kPlayer, QStringLiteral("Next"));
    EXPECT_EQ(MainForm->CurrentStation, 1);
    QTest::qWait(c.gapMs);
    call(kPlayer, QString::fromLatin1(c.method));
    EXPECT_TRUE(waitFor(
        [&] { return property(QStringLiteral("PlaybackStatus")).toString() == QStringLiteral("Stopped"); }, 2000));
    // Longer than the local station takes to connect and fill its buffer.
    QTest::qWait(1500);
    EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    EXPECT_FALSE(MainForm->playbackController().streamActive()) << "nothing sounds after the stop";
  }
}

TEST_F(DesktopBus, AStationChangeWhileTheWindowIsMinimizedReplacesTheEarlierNotification) {
  FakeNotifications notifications;
  QDBusConnection service = QDBusConnection::connectToBus(bus.address, QStringLiteral("test-notifications"));
  ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
  ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                                     QDBusConnection::ExportAllSlots));
  MainForm->setNotifier(qv::ui::makeDesktopNotifier(bus.address));
  SettingsForm->WinnotifyCB->setChecked(true);
  MainForm->show();
  MainForm->setWindowState(Qt::WindowMinimized);

  MainForm->CurrentStation = 0;
  MainForm->Play();
  ASSERT_TRUE(waitFor([&] { return notifications.received.size() == 1; }));
  EXPECT_EQ(notifications.received[0].summary, QStringLiteral("Quorventale"));
  EXPECT_EQ(notifications.received[0].body, QStringLiteral("Local"));
  EXPECT_EQ(notifications.received[0].replacesId, 0U);
  ASSERT_TRUE(waitFor([] { return MainForm->streamPlaying(); }));

  MainForm->NextActionExecute();
  ASSERT_TRUE(waitFor([&] { return notifications.received.size() == 2; }));
  EXPECT_EQ(notifications.received[1].body, QStringLiteral("Other"));
  EXPECT_EQ(notifications.received[1].replacesId, notifications.onScreen.firstKey());
  QTest::qWait(50);
  EXPECT_EQ(notifications.onScreen.values(), QStringList{QStringLiteral("Other")}) << "only the newer one is shown";

  service.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
  QDBusConnection::disconnectFromBus(QStringLiteral("test-notifications"));
}

}  // namespace

#include "desktop_bus_test.moc"
