// Playing in the main window against the local test server: the reports on the labels, a station
// played from the list with its name, bit rate and changing titles, a refused connection, the
// looping rule through the buttons, and what Play asks of the desktop.
#include "default_playlist.h"
#include "engine.h"
#include "interface_texts.h"
#include "looping_cases.h"
#include "playback_controller.h"
#include "playback_fakes.h"
#include "program_run.h"
#include "status_report.h"
#include "stream_server.h"

#include <QCheckBox>
#include <QDir>
#include <QListView>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using qv::playback::StatusReport;
using qv::stations::StationEntry;

class PlaybackWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run.start());
    MainForm->setKeepAwake(std::make_unique<RecordingKeepAwake>(desktop));
    MainForm->setNotifier(std::make_unique<RecordingNotifier>(desktop));
    MainForm->setTaskbarPresenter(std::make_unique<RecordingTaskbar>(desktop));
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  }
  void TearDown() override { run.finish(); }

  void doubleClickRow(int row) {
    QListView* list = MainForm->StationsList;
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualRect(list->model()->index(row, 0)).center());
  }
  static bool waitFor(const std::function<bool()>& done, int ms = 8000) { return QTest::qWaitFor(done, ms); }
  static QString station() { return MainForm->StationLabel->text(); }

  ProgramRun run;
  DesktopLog desktop;
};

TEST_F(PlaybackWindow, EachReportChangesItsLabels) {
  struct Case {
    const char* name;
    StatusReport report;
    QStringList labels;  // station, status, track, leftch, RightCh after the report
    const char* playImage;
  };
  const QString old = QStringLiteral("old");
  const QString none;
  const Case cases[] = {
      {"0 connecting", StatusReport::connecting(), {QStringLiteral("connecting"), none, none, none, none}, "PngPlay_2"},
      {"1 failed",
       StatusReport::failed(2),
       {QStringLiteral("Can't play the stream\n(Error code: 2)"), old, old, old, old},
       "PngPlay_2"},
      {"2 buffering",
       StatusReport::buffering(40),
       {QStringLiteral("buffering... 40%"), old, old, old, old},
       "PngStop_2"},
      {"3 station name",
       {qv::playback::ReportCode::StationName, 0, QStringLiteral("Radio X")},
       {QStringLiteral("Radio X"), old, old, old, old},
       "PngPlay_2"},
      {"4 bit rate",
       {qv::playback::ReportCode::BitrateLine, 0, QStringLiteral("128")},
       {old, QStringLiteral("Bitrate 128"), old, old, old},
       "PngPlay_2"},
      {"7 title",
       StatusReport::title(QStringLiteral("Artist - Song")),
       {old, old, QStringLiteral("Artist - Song"), old, old},
       "PngStop_2"},
      {"8 server status",
       StatusReport::serverStatus("ICY 200 OK\0icy-br:128\0\0"),
       {old, QStringLiteral("ICY 200 OK"), old, old, old},
       "PngPlay_2"},
  };
  for (const Case& c : cases) {
    MainForm->playbackController().stop();  // nothing plays: the buttons show Play
    for (QLabel* label : {static_cast<QLabel*>(MainForm->StationLabel), static_cast<QLabel*>(MainForm->StatusLabel),
                          static_cast<QLabel*>(MainForm->TrackLabel), MainForm->leftch, MainForm->RightCh}) {
      label->setText(old);
    }
    MainForm->PlayStopImage->setImage(QStringLiteral("PngPlay_2"));
    desktop.keptAwake = true;
    MainForm->StreamStatusMessage(c.report);
    const QStringList shown{station(), MainForm->StatusLabel->text(), MainForm->TrackLabel->text(),
                            MainForm->leftch->text(), MainForm->RightCh->text()};
    EXPECT_EQ(shown, c.labels) << c.name;
    EXPECT_EQ(MainForm->PlayStopImage->image(), QLatin1String(c.playImage)) << c.name;
    EXPECT_EQ(MainForm->playbackController().playingShown(), c.report.code == qv::playback::ReportCode::Title)
        << c.name;
    EXPECT_EQ(desktop.keptAwake, c.report.code != qv::playback::ReportCode::Failed)
        << c.name << ": sleep after an error";
  }
}

TEST_F(PlaybackWindow, PlaysALocalStationFromTheListWithItsHeadersAndTitlesAndStops) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  const QString link = QString::fromStdString(
      server.url("/icy/sine1k.mp3?metaint=4000&titles=First%20Song|Second%20Song&every=1&name=Local%20Radio"));
  MainForm->Stations.replaceAll({{QStringLiteral("Local"), link, {}, {}}, {QStringLiteral("Other"), link, {}, {}}});
  SettingsForm->WinnotifyCB->setChecked(true);
  SettingsForm->LoopStationCheckBox->setChecked(false);
  MainForm->setWindowState(Qt::WindowMinimized);  // a minimised window announces the station

  // The buffer field shows the engine's buffer as a whole number of 100 ms.
  ASSERT_TRUE(qv::engine::setConfig(qv::engine::Config::BufferMs, 1260));
  doubleClickRow(0);
  EXPECT_EQ(MainForm->CurrentStation, 0);
  EXPECT_EQ(SettingsForm->bufferSE->value(), 13);
  qv::engine::setConfig(qv::engine::Config::BufferMs, 500);
  EXPECT_TRUE(desktop.keptAwake);
  EXPECT_EQ(desktop.notifications, QStringList{QStringLiteral("StationChanged|Quorventale|Local")});
  ASSERT_TRUE(desktop.taskbar);
  EXPECT_EQ(desktop.taskbar->overlay, qv::playback::TaskbarIcon::Sound);
  EXPECT_EQ(desktop.taskbar->buttons[1].icon, qv::playback::TaskbarIcon::Stop);
  EXPECT_EQ(MainForm->PreviousImage->image(), QStringLiteral("PngPrevious_3")) << "first of the list";
  EXPECT_EQ(MainForm->NextImage->image(), QStringLiteral("PngNext_1"));

  EXPECT_TRUE(waitFor([] { return station() == QStringLiteral("Local Radio"); })) << station().toStdString();
  EXPECT_EQ(MainForm->StatusLabel->text(), QStringLiteral("Bitrate 128"));
  EXPECT_EQ(MainForm->IcyUrl, QStringLiteral("http://127.0.0.1/"));
  EXPECT_TRUE(waitFor([] { return MainForm->TrackLabel->text() == QStringLiteral("First Song"); }))
      << MainForm->TrackLabel->text().toStdString();
  EXPECT_TRUE(waitFor([] { return MainForm->TrackLabel->text() == QStringLiteral("Second Song"); }))
      << MainForm->TrackLabel->text().toStdString();
  EXPECT_TRUE(MainForm->streamPlaying());
  EXPECT_EQ(MainForm->PlayStopImage->image(), QStringLiteral("PngStop_2"));

  MainForm->PlayStopImageClick();
  EXPECT_FALSE(MainForm->streamActive());
  EXPECT_EQ(MainForm->PlayStopImage->image(), QStringLiteral("PngPlay_2"));
  EXPECT_EQ(MainForm->TrackLabel->text(), QString());
  EXPECT_EQ(station(), QStringLiteral("Local Radio")) << "the station label keeps its text";
  EXPECT_FALSE(desktop.keptAwake);
  EXPECT_EQ(desktop.taskbar->overlay, std::nullopt);
  EXPECT_EQ(desktop.taskbar->buttons[1].icon, qv::playback::TaskbarIcon::Play);
  EXPECT_EQ(desktop.taskbar->buttons[1].hint, qv::l_play);
}

TEST_F(PlaybackWindow, ARefusedConnectionShowsTheErrorWithItsCode) {
  quint16 closedPort = 0;
  {
    StreamServer gone;  // a port that has just stopped listening refuses the connection
    ASSERT_TRUE(gone.ok()) << gone.error();
    closedPort = gone.port();
  }
  MainForm->Stations.replaceAll(
      {{QStringLiteral("Gone"), QStringLiteral("http://127.0.0.1:%1/").arg(closedPort), {}, {}}});
  doubleClickRow(0);
  const QString expected = QStringLiteral("Can't play the stream\n(Error code: %1)")
                               .arg(static_cast<int>(qv::engine::ErrorCode::ConnectFailed));
  EXPECT_TRUE(waitFor([&] { return station() == expected; })) << station().toStdString();
  EXPECT_EQ(MainForm->PlayStopImage->image(), QStringLiteral("PngPlay_2"));
  EXPECT_FALSE(desktop.keptAwake) << "the error lets the system sleep again";
}

// Empty links fail at once, so each button press ends in the error before the next one.
TEST_F(PlaybackWindow, PreviousAndNextFollowTheLoopingRuleAtBothEnds) {
  MainForm->Stations.replaceAll(
      {{QStringLiteral("A"), {}, {}, {}}, {QStringLiteral("B"), {}, {}, {}}, {QStringLiteral("C"), {}, {}, {}}});
  for (const LoopingCase& c : kLoopingCases) {
    SettingsForm->LoopStationCheckBox->setChecked(c.looping);
    MainForm->CurrentStation = c.from;
    MainForm->StationLabel->clear();
    if (c.next) {
      MainForm->NextImageClick();
    } else {
      MainForm->PreviousImageClick();
    }
    EXPECT_EQ(MainForm->CurrentStation, c.to) << c.looping << c.from << c.next;
    EXPECT_TRUE(waitFor([] { return station().startsWith(qv::l_cantplay); }))
        << "the station was played: " << c.looping << c.from << c.next;
  }
}

// With "play on start" the stored last station plays as soon as the windows are up.
TEST(PlayOnStart, TheLastStationPlaysAtStartUp) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  ProgramRun run;
  run.profile.writeSettings(
      {QStringLiteral(R"("LastStation"=dword:00000001)"), QStringLiteral(R"("PlayOnStart"=dword:00000001)")});
  const QString link = QString::fromStdString(server.url("/icy/sine1k.mp3?name=Second%20Station"));
  ASSERT_TRUE(QDir().mkpath(run.profile.dataFolder()));
  ASSERT_EQ(qv::saveDefaultPlaylist(qv::defaultPlaylistFile(), {},
                                    {{QStringLiteral("One"), link, {}, {}}, {QStringLiteral("Two"), link, {}, {}}}),
            QString());
  ASSERT_TRUE(run.start());
  EXPECT_TRUE(SettingsForm->cbPlayOnStart->isChecked());
  EXPECT_EQ(MainForm->CurrentStation, 1);
  EXPECT_TRUE(QTest::qWaitFor([] { return MainForm->StationLabel->text() == QStringLiteral("Second Station"); }, 8000))
      << MainForm->StationLabel->text().toStdString();
  run.finish();
}

}  // namespace
