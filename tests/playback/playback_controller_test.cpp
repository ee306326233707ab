// The playback controller without any window, against the local stream server: a station played
// with its headers and titles and stopped, the looping rule, a refused station, and a new stream
// heard at its volume and with its equalizer from the first sample (SDL's disk output).
#include "playback_controller.h"
#include "engine_test_support.h"
#include "interface_texts.h"
#include "looping_cases.h"
#include "settings/settings_model.h"
#include "signal_measure.h"
#include "stations/station_list.h"
#include "stream_server.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using qv::playback::PlaybackController;
using qv::playback::PlaybackState;
namespace ts = qv::test_signal;

//! Runs the event loop until `done`, for at most `ms`.
bool waitFor(const std::function<bool()>& done, int ms = 10000) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

class RecordingKeepAwake final : public qv::playback::KeepAwake {
 public:
  explicit RecordingKeepAwake(bool& awake) : m_awake(awake) {}
  void keepAwake() override { m_awake = true; }
  void allowSleep() override { m_awake = false; }

 private:
  bool& m_awake;
};

//! What the controller told its observers.
struct Observed {
  std::vector<PlaybackState> states;
  QStringList titles;
  QString stationLabel;
  QString statusLabel;
  int beeps = 0;
  bool awake = false;
  std::optional<qv::playback::TaskbarState> taskbar;
};

class Controller : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.ok()) << server.error();
    ASSERT_TRUE(session.ok);
    controller = std::make_unique<PlaybackController>(stations, settings);
    controller->setKeepAwake(std::make_unique<RecordingKeepAwake>(seen.awake));
    QObject::connect(controller.get(), &PlaybackController::stateChanged,
                     [this](PlaybackState state) { seen.states.push_back(state); });
    QObject::connect(controller.get(), &PlaybackController::titleChanged,
                     [this](const QString& title) { seen.titles.append(title); });
    QObject::connect(controller.get(), &PlaybackController::viewChanged, [this](const qv::playback::StatusView& v) {
      seen.stationLabel = v.stationLabel.value_or(seen.stationLabel);
      seen.statusLabel = v.statusLabel.value_or(seen.statusLabel);
    });
    QObject::connect(controller.get(), &PlaybackController::beepRequested, [this] { ++seen.beeps; });
    QObject::connect(controller.get(), &PlaybackController::taskbarChanged,
                     [this](const qv::playback::TaskbarState& state) { seen.taskbar = state; });
  }
  void TearDown() override {
    if (controller) {
      controller->shutDown();
    }
  }

  QString url(const char* path) const { return QString::fromStdString(server.url(path)); }
  QString refused() const { return QStringLiteral("http://127.0.0.1:%1/").arg(closedPort); }

  StreamServer server;
  quint16 closedPort = [] {
    StreamServer gone;  // a port that has just stopped listening refuses the connection
    return gone.port();
  }();
  engine_test::Capture output;  // a stream plays only where its audio is taken: SDL's disk driver
  engine_test::Session session{-1, 44100};
  qv::stations::StationList stations;
  qv::settings::SettingsModel settings;
  std::unique_ptr<PlaybackController> controller;
  Observed seen;
};

TEST_F(Controller, PlaysAStationWithItsHeadersAndTitlesAndStops) {
  stations.replaceAll(
      {{QStringLiteral("Local"),
        url("/icy/sine1k.mp3?metaint=4000&titles=First%20Song|Second%20Song&every=1&name=Local%20Radio"),
        {},
        {}}});
  stations.CurrentStation = 0;
  controller->play();
  EXPECT_EQ(controller->state(), PlaybackState::Connecting);
  EXPECT_TRUE(seen.awake);
  ASSERT_TRUE(seen.taskbar);
  EXPECT_EQ(seen.taskbar->overlay, qv::playback::TaskbarIcon::Sound);

  ASSERT_TRUE(waitFor([&] { return seen.stationLabel == QStringLiteral("Local Radio"); }))
      << seen.stationLabel.toStdString();
  EXPECT_EQ(seen.statusLabel, QStringLiteral("Bitrate 128"));
  EXPECT_EQ(controller->icyUrl(), QStringLiteral("http://127.0.0.1/"));
  ASSERT_TRUE(waitFor([&] { return seen.titles.contains(QStringLiteral("Second Song")); }))
      << seen.titles.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(seen.titles.first(), QStringLiteral("First Song"));
  EXPECT_EQ(controller->title(), QStringLiteral("Second Song"));
  EXPECT_EQ(controller->state(), PlaybackState::Playing);
  EXPECT_TRUE(controller->playingShown());
  EXPECT_TRUE(controller->streamPlaying());
  EXPECT_TRUE(std::find(seen.states.begin(), seen.states.end(), PlaybackState::Connecting) != seen.states.end());

  controller->playStop();
  EXPECT_FALSE(controller->streamActive());
  EXPECT_EQ(controller->state(), PlaybackState::Idle);
  EXPECT_FALSE(controller->playingShown());
  EXPECT_TRUE(controller->title().isEmpty());
  EXPECT_FALSE(seen.awake);
  EXPECT_EQ(seen.taskbar->overlay, std::nullopt);
  EXPECT_EQ(seen.stationLabel, QStringLiteral("Local Radio")) << "the station label keeps its text";
}

// Stop while a station still connects or buffers ends it for good: the open still running is
// dropped with the stream it opens, nothing plays later, and the next Play is not refused as
// pending.
TEST_F(Controller, StopWhileAStationConnectsEndsItForGood) {
  stations.replaceAll({{QStringLiteral("Local"), url("/icy/sine1k.mp3?metaint=4000&every=1"), {}, {}}});
  stations.CurrentStation = 0;
  for (const int gapMs : {0, 30}) {
    SCOPED_TRACE("stop after " + std::to_string(gapMs) + " ms");
    controller->play();
    waitFor([] { return false; }, gapMs);
    ASSERT_TRUE(controller->soundRequested()) << "connecting or buffering";
    controller->stop();
    EXPECT_FALSE(controller->soundRequested());
    const std::size_t statesAtStop = seen.states.size();
    waitFor([] { return false; }, 1500);  // longer than the local station takes to sound
    EXPECT_EQ(controller->state(), PlaybackState::Idle);
    EXPECT_EQ(seen.states.size(), statesAtStop) << "nothing of the dropped open is shown";
    EXPECT_FALSE(controller->streamActive());
    EXPECT_FALSE(seen.awake);
    if (gapMs == 0) {
      // Stopped before its stream was open: not a sample of it is heard. (Later, the stream may
      // have begun to sound before the stop.)
      const std::vector<float> heard = output.samples();
      EXPECT_TRUE(std::all_of(heard.begin(), heard.end(), [](float sample) { return std::fabs(sample) < 0.01F; }))
          << "a dropped station was heard";
    }
  }
  controller->play();
  EXPECT_EQ(seen.beeps, 0);
  EXPECT_TRUE(waitFor([&] { return controller->streamPlaying(); }));
}

TEST_F(Controller, ARefusedStationShowsTheErrorWithItsCodeAndAPendingOpenRefusesTheNext) {
  stations.replaceAll({{QStringLiteral("Gone"), refused(), {}, {}}});
  stations.CurrentStation = 0;
  controller->play();
  controller->play();  // the first open is still pending
  EXPECT_EQ(seen.beeps, 1);
  const QString expected = QStringLiteral("Can't play the stream\n(Error code: %1)")
                               .arg(static_cast<int>(qv::engine::ErrorCode::ConnectFailed));
  ASSERT_TRUE(waitFor([&] { return seen.stationLabel == expected; })) << seen.stationLabel.toStdString();
  EXPECT_EQ(controller->state(), PlaybackState::Error);
  EXPECT_FALSE(seen.awake) << "the error lets the system sleep again";
  EXPECT_EQ(controller->stream(), 0U);
}

// Refused links fail at once, so each step ends in the error before the next one.
TEST_F(Controller, PreviousAndNextFollowTheLoopingRuleAtBothEnds) {
  stations.replaceAll({{QStringLiteral("A"), refused(), {}, {}},
                       {QStringLiteral("B"), refused(), {}, {}},
                       {QStringLiteral("C"), refused(), {}, {}}});
  for (const LoopingCase& c : kLoopingCases) {
    SCOPED_TRACE(testing::Message() << c.looping << c.from << c.next);
    settings.set(qv::settings::LoopStations, c.looping);
    stations.CurrentStation = c.from;
    seen.states.clear();
    c.next ? controller->next() : controller->previous();
    EXPECT_EQ(stations.CurrentStation, c.to);
    EXPECT_EQ(controller->canGoNext(), c.looping || c.to < 2);
    EXPECT_EQ(controller->canGoPrevious(), c.looping || c.to > 0);
    EXPECT_TRUE(waitFor([&] { return controller->state() == PlaybackState::Error; })) << "the station was played";
    EXPECT_EQ(seen.states.front(), PlaybackState::Connecting);
  }
}

// The controller's stream, heard through SDL's disk driver: the left channel from its first sample.
class ControllerHeard : public ::testing::Test {
 protected:
  std::vector<float> playTone(int volume, int band3Position) {
    StreamServer server;
    EXPECT_TRUE(server.ok()) << server.error();
    engine_test::Capture capture;
    {
      engine_test::Session session(-1, 44100);
      EXPECT_TRUE(session.ok);
      qv::stations::StationList stations;
      qv::settings::SettingsModel settings;
      settings.set(qv::settings::Levelling, false);  // the volume and the band keep their meaning without it
      PlaybackController controller(stations, settings);
      controller.setVolume(volume);
      controller.setBand(2, band3Position);
      stations.replaceAll({{QStringLiteral("Tone"), QString::fromStdString(server.url("/file/sine1k.flac")), {}, {}}});
      stations.CurrentStation = 0;
      controller.play();
      EXPECT_TRUE(waitFor([&] { return ts::channelOf(capture.samples(), 2, 0).size() > 60000; }));
      controller.shutDown();
    }
    std::vector<float> left = ts::channelOf(capture.samples(), 2, 0);
    const auto first = std::find_if(left.begin(), left.end(), [](float s) { return s != 0.0F; });
    left.erase(left.begin(), first);
    return left;
  }
  static float peak(const std::vector<float>& samples, double fromSeconds, double toSeconds) {
    const auto from = std::min(samples.size(), static_cast<std::size_t>(fromSeconds * 44100));
    const auto to = std::min(samples.size(), static_cast<std::size_t>(toSeconds * 44100));
    float highest = 0;
    for (std::size_t i = from; i < to; ++i) {
      highest = std::max(highest, std::fabs(samples[i]));
    }
    return highest;
  }
};

TEST_F(ControllerHeard, AStationIsHeardAtItsVolumeAndWithItsBandFromTheFirstSample) {
  // The tone is at half of full scale: at volume 5 its steady peak is 0.025.
  const std::vector<float> quiet = playTone(5, qv::playback::kBandPositionFlat);
  ASSERT_GT(quiet.size(), 44100U);
  const float steady = peak(quiet, 0.5, 1.0);
  EXPECT_NEAR(steady, 0.025F, 0.003F);
  EXPECT_LE(peak(quiet, 0.0, 0.2), steady * 1.05F) << "the first 200 ms are no louder than the rest";

  // Band 3 (1000 Hz) at the top: +15 dB on the 1 kHz tone, from the first 100 ms on.
  const std::vector<float> lifted = playTone(5, 0);
  ASSERT_GT(lifted.size(), 44100U);
  const float liftedSteady = peak(lifted, 0.5, 1.0);
  EXPECT_NEAR(ts::amplitudeDb(liftedSteady / steady), 15.0, 1.0);
  EXPECT_NEAR(ts::amplitudeDb(peak(lifted, 0.02, 0.1) / liftedSteady), 0.0, 1.0)
      << "the band is already there in the first 100 ms";
}

// The next station replaces the one playing: with the crossfade on (the default) the old one goes
// on sounding for its fade, with it off it stops at once.
TEST_F(Controller, TheNextStationFadesTheOldOneOutUnlessTheCrossfadeIsOff) {
  stations.replaceAll({{QStringLiteral("A"), url("/icy/sine1k.mp3"), {}, {}},
                       {QStringLiteral("B"), url("/icy/sine1k_48k.mp3"), {}, {}}});
  for (const bool crossfade : {true, false}) {
    SCOPED_TRACE(crossfade ? "crossfade" : "cut");
    settings.set(qv::settings::Crossfade, crossfade);
    stations.CurrentStation = 0;
    controller->play();
    ASSERT_TRUE(waitFor([&] { return controller->state() == PlaybackState::Playing; }));
    controller->next();
    EXPECT_EQ(controller->streamActive(), crossfade) << "the old stream right after the change";
    ASSERT_TRUE(waitFor([&] { return controller->state() == PlaybackState::Playing; }));
    EXPECT_EQ(stations.CurrentStation, 1);
    controller->stop();
    EXPECT_FALSE(controller->streamActive()) << "a stop is a stop, never a fade";
  }
}

// With levelling on, a station starts at the gain learned for it the last time, and what it learns
// while it plays is kept for the next time: the half-scale tone, louder than the -16 LUFS target,
// is brought down from the learned -6 dB after a few seconds.
TEST_F(Controller, AStationStartsAtItsLearnedGainAndKeepsWhatItLearns) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("levelling.sqlite"));
  const QString link = url("/icy/sine1k.mp3");
  { qv::playback::LevellingMemory(path).remember(link, -6.0206F); }
  controller->setLevellingMemory(std::make_unique<qv::playback::LevellingMemory>(path));
  stations.replaceAll({{QStringLiteral("Tone"), link, {}, {}}});
  stations.CurrentStation = 0;
  controller->play();
  ASSERT_TRUE(waitFor([&] { return controller->state() == PlaybackState::Playing; }));
  // Measured for 3 s, then down by at most 1 dB a second.
  QThread::msleep(5500);
  QCoreApplication::processEvents();
  controller->stop();

  std::vector<float> left = ts::channelOf(output.samples(), 2, 0);
  const auto first = std::find_if(left.begin(), left.end(), [](float s) { return std::fabs(s) > 0.01F; });
  ASSERT_NE(first, left.end());
  const auto start = static_cast<std::size_t>(first - left.begin());
  ASSERT_GT(left.size(), start + 44100);
  float startPeak = 0;
  for (std::size_t i = start; i < start + 44100 / 5; ++i) {
    startPeak = std::max(startPeak, std::fabs(left[i]));
  }
  EXPECT_NEAR(startPeak, 0.25F, 0.02F) << "half scale at the learned -6 dB from the first sample";

  const std::optional<float> learned = qv::playback::LevellingMemory(path).gainFor(link);
  ASSERT_TRUE(learned);
  EXPECT_LT(*learned, -6.5F);
  EXPECT_GT(*learned, -6.0F - 3.5F) << "no faster than 1 dB a second";
}

// A station that changes its title with every metadata block: observers get a few a second, and
// the last title is the one that stays.
TEST_F(Controller, TitlesComingFasterThanFourASecondAreShownAtThatPaceAndTheLastWins) {
  for (int i = 0; i < 20; ++i) {
    controller->handleReport(qv::playback::StatusReport::title(QStringLiteral("Song %1").arg(i)));
  }
  EXPECT_EQ(seen.titles, QStringList{QStringLiteral("Song 0")});
  ASSERT_TRUE(waitFor([&] { return controller->title() == QStringLiteral("Song 19"); }, 2000));
  EXPECT_EQ(seen.titles, (QStringList{QStringLiteral("Song 0"), QStringLiteral("Song 19")}));
}

}  // namespace
