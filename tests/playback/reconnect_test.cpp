// Reconnection by the playback controller against the local server, with the waits scaled down:
// a station that drops comes back and plays, the attempts wait longer each time, a 404 is not
// retried, the user's stop ends the attempts, and with the setting off a drop is an error as before.
#include "engine.h"
#include "interface_texts.h"
#include "playback_controller.h"
#include "settings/settings_model.h"
#include "stations/station_list.h"
#include "stream_server.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace pb = qv::playback;

namespace {

constexpr double kScale = 0.05;  // waits of 50, 100, 200, 400, 800, then 1500 ms

class ReconnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.ok()) << server.error();
    // A real output that plays to nowhere, so the audio is used up in real time and a station ends.
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) {
      qputenv("SDL_AUDIODRIVER", "dummy");
    }
    ASSERT_TRUE(qv::engine::init(-1, 44100));
    qv::i18n::MainFormTexts texts;
    qv::i18n::applyBuiltInTexts(texts);
  }
  void TearDown() override {
    controller.reset();
    qv::engine::release();
  }

  //! A controller with the one station at `path` current.
  pb::PlaybackController& controllerFor(const char* path) {
    stations.replaceAll({{QStringLiteral("Test"), QString::fromStdString(server.url(path)), {}, {}}});
    stations.CurrentStation = 0;
    controller = std::make_unique<pb::PlaybackController>(stations, settings);
    controller->setReconnectTiming(pb::ReconnectTiming{}.scaled(kScale));
    connect();
    return *controller;
  }

  void connect() {
    QObject::connect(controller.get(), &pb::PlaybackController::reconnectChanged, controller.get(),
                     [this](int attempt) {
                       attempts.push_back({attempt, clock.elapsed()});
                     });
    QObject::connect(controller.get(), &pb::PlaybackController::viewChanged, controller.get(),
                     [this](const pb::StatusView& view) {
                       if (view.stationLabel) {
                         stationLabel = *view.stationLabel;
                       }
                       if (view.playButtons) {
                         buttons = *view.playButtons;
                       }
                     });
    clock.start();
  }

  bool waitFor(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }
  bool playing() const { return controller->state() == pb::PlaybackState::Playing; }

  struct Attempt {
    int number;
    qint64 atMs;
  };

  StreamServer server;
  qv::stations::StationList stations;
  qv::settings::SettingsModel settings;
  std::unique_ptr<pb::PlaybackController> controller;
  std::vector<Attempt> attempts;
  QString stationLabel;
  pb::PlayButtonImage buttons = pb::PlayButtonImage::Play;
  QElapsedTimer clock;
};

TEST_F(ReconnectTest, ADroppedStationComesBackAfterGrowingWaits) {
  // Up for 1.5 s, then down for 1.2 s: attempts at about 50, 150, 350, 750 ms fail, one plays.
  pb::PlaybackController& c = controllerFor("/outage/sine1k.mp3?up=1.5&down=1.2&burst=0.5&key=back");
  c.play();
  ASSERT_TRUE(waitFor([&] { return playing(); }, 10000));
  ASSERT_TRUE(waitFor([&] { return c.reconnecting(); }, 10000)) << "the station never dropped";
  EXPECT_TRUE(stationLabel.startsWith(QStringLiteral("Reconnecting"))) << stationLabel.toStdString();
  EXPECT_TRUE(stationLabel.contains(QStringLiteral("(attempt 1)"))) << stationLabel.toStdString();
  EXPECT_EQ(buttons, pb::PlayButtonImage::Stop);
  EXPECT_TRUE(c.playingShown());

  ASSERT_TRUE(waitFor([&] { return !c.reconnecting(); }, 15000));
  ASSERT_TRUE(waitFor([&] { return playing(); }, 10000)) << "the station did not play again";
  EXPECT_FALSE(stationLabel.startsWith(QStringLiteral("Reconnecting")));

  // Attempts 1, 2, 3... then 0 once it plays; each wait at least as long as the schedule says.
  ASSERT_GE(attempts.size(), 3u);
  EXPECT_EQ(attempts.back().number, 0);
  const std::vector<qint64> scheduleMs{50, 100, 200, 400, 800, 1500};
  for (std::size_t i = 0; i + 1 < attempts.size(); ++i) {
    EXPECT_EQ(attempts[i].number, static_cast<int>(i) + 1);
    if (i + 2 < attempts.size()) {
      EXPECT_GE(attempts[i + 1].atMs - attempts[i].atMs, scheduleMs[i]) << "after attempt " << i + 1;
    }
  }
}

TEST_F(ReconnectTest, ANotFoundAnswerIsNotRetried) {
  pb::PlaybackController& c = controllerFor("/outage/sine1k.mp3?up=1&down=30&burst=0.5&during=404&key=gone");
  c.play();
  ASSERT_TRUE(waitFor([&] { return playing(); }, 10000));
  ASSERT_TRUE(waitFor([&] { return c.state() == pb::PlaybackState::Error; }, 15000));
  ASSERT_EQ(attempts.size(), 2u);  // one attempt, then the end
  EXPECT_EQ(attempts[0].number, 1);
  EXPECT_EQ(attempts[1].number, 0);
  EXPECT_TRUE(stationLabel.startsWith(QStringLiteral("Can't play the stream"))) << stationLabel.toStdString();
  EXPECT_TRUE(stationLabel.endsWith(QStringLiteral("(Error code: 11)"))) << stationLabel.toStdString();
  EXPECT_EQ(buttons, pb::PlayButtonImage::Play);
  EXPECT_FALSE(c.playingShown());
}

TEST_F(ReconnectTest, TheUsersStopEndsTheAttempts) {
  pb::PlaybackController& c = controllerFor("/outage/sine1k.mp3?up=1&down=30&burst=0.5&key=stop");
  c.play();
  ASSERT_TRUE(waitFor([&] { return playing(); }, 10000));
  ASSERT_TRUE(waitFor([&] { return c.reconnectAttempt() >= 2; }, 15000));
  c.playStop();  // the button shows Stop, so it stops
  EXPECT_FALSE(c.reconnecting());
  EXPECT_EQ(buttons, pb::PlayButtonImage::Play);
  const std::size_t seen = attempts.size();
  QTest::qWait(1000);  // longer than the next waits: no attempt comes
  EXPECT_EQ(attempts.size(), seen);
  EXPECT_EQ(c.state(), pb::PlaybackState::Idle);
}

TEST_F(ReconnectTest, WithTheSettingOffADropEndsTheStationAsBefore) {
  settings.set(qv::settings::Reconnect, false);
  pb::PlaybackController& c = controllerFor("/outage/sine1k.mp3?up=1&down=1&burst=0.5&key=off");
  c.play();
  ASSERT_TRUE(waitFor([&] { return playing(); }, 10000));
  ASSERT_TRUE(waitFor([&] { return c.state() == pb::PlaybackState::Error; }, 15000));
  EXPECT_TRUE(attempts.empty());
  EXPECT_TRUE(stationLabel.startsWith(QStringLiteral("Can't play the stream"))) << stationLabel.toStdString();
  EXPECT_TRUE(stationLabel.endsWith(QStringLiteral("(Error code: 0)"))) << stationLabel.toStdString();
}

}  // namespace
