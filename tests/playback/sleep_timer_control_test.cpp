// The sleep timer driving the playback controller, with the time scaled down: the volume fades,
// playback stops, the volume is back, and the caption counts down to nothing.
#include "sleep_timer_control.h"
#include "playback_controller.h"
#include "settings/settings_model.h"
#include "stations/station_list.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace pb = qv::playback;
using std::chrono::milliseconds;

namespace {

TEST(SleepTimerControl, FadesTheControllersVolumeStopsAndRestoresIt) {
  qv::stations::StationList stations;
  qv::settings::SettingsModel settings;
  pb::PlaybackController controller(stations, settings);
  controller.setVolume(60);
  pb::SleepTimerControl timer(controller);
  timer.setFade(milliseconds(400));
  timer.setTickInterval(milliseconds(20));

  QSignalSpy volumes(&controller, &pb::PlaybackController::volumeChanged);
  QSignalSpy captions(&timer, &pb::SleepTimerControl::remainingChanged);
  QSignalSpy states(&controller, &pb::PlaybackController::stateChanged);
  timer.start(milliseconds(1500));
  EXPECT_EQ(timer.remainingText(), QStringLiteral("0:02"));  // seconds are rounded up
  ASSERT_TRUE(QTest::qWaitFor([&] { return !timer.active(); }, 5000));

  // Down in steps during the last 400 ms, then back to 60 once stopped.
  ASSERT_GE(volumes.size(), 3);
  EXPECT_LT(volumes[volumes.size() - 2][0].toInt(), 20);
  EXPECT_EQ(volumes.last()[0].toInt(), 60);
  EXPECT_EQ(controller.volume(), 60);
  EXPECT_EQ(settings.value(qv::settings::Volume), 60) << "the stored volume is the user's";
  EXPECT_EQ(controller.state(), pb::PlaybackState::Idle);
  ASSERT_FALSE(captions.isEmpty());
  EXPECT_TRUE(captions.last()[0].toString().isEmpty());
}

TEST(SleepTimerControl, RemainingTimeIsShownAsMinutesAndSeconds) {
  struct Case {
    long long ms;
    const char* text;
  };
  const Case cases[] = {{0, "0:00"},
                        {1, "0:01"},
                        {59000, "0:59"},
                        {61500, "1:02"},
                        {15 * 60000, "15:00"},
                        {90 * 60000, "1:30:00"},
                        {3600000 + 5000, "1:00:05"}};
  for (const Case& c : cases) {
    EXPECT_EQ(pb::formatRemaining(milliseconds(c.ms)), QString::fromLatin1(c.text)) << c.ms;
  }
}

}  // namespace
