#include "report_view.h"

#include "interface_texts.h"
#include "label_board.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <vector>

namespace pb = qv::playback;
using pb::PlayButtonImage;

namespace {

// The built-in English texts, taken from the text table as the window takes them.
pb::ReportTexts builtInTexts() {
  qv::i18n::MainFormTexts form;
  qv::i18n::applyBuiltInTexts(form);
  return pb::ReportTexts::current(form);
}

// A window in the middle of playing a stream, with everything shown.
LabelBoard playingBoard() {
  LabelBoard board;
  board.station = QStringLiteral("Radio One");
  board.status = QStringLiteral("Bitrate 128");
  board.track = QStringLiteral("Old Song");
  board.left = QStringLiteral("((");
  board.right = QStringLiteral("))");
  board.popupTrack = QStringLiteral("Old Song");
  board.buttons = PlayButtonImage::Stop;
  board.playingShown = true;
  board.headers.iceSampleRate = QStringLiteral("44100 Hz");
  board.headers.iceChannels = QStringLiteral("2");
  return board;
}

struct ReportCase {
  const char* what;
  LabelBoard before;
  pb::StatusReport report;
  LabelBoard after;
};

std::vector<ReportCase> reportCases() {
  std::vector<ReportCase> cases;
  const LabelBoard playing = playingBoard();
  LabelBoard idle;

  LabelBoard connecting = playing;
  connecting.station = QStringLiteral("connecting");
  connecting.status = connecting.track = connecting.left = connecting.right = QString();
  cases.push_back({"0 connecting", playing, pb::StatusReport::connecting(), connecting});

  LabelBoard failed = playing;
  failed.station = QStringLiteral("Can't play the stream\n(Error code: 2)");
  failed.buttons = PlayButtonImage::Play;
  failed.playingShown = false;
  failed.beeps = 1;
  failed.sleep = pb::SleepRequest::AllowSleep;
  cases.push_back({"1 failed open", playing, pb::StatusReport::failed(2), failed});
  LabelBoard ended = failed;
  ended.station = QStringLiteral("Can't play the stream\n(Error code: 0)");
  cases.push_back({"1 end of stream", playing, pb::StatusReport::failed(0), ended});

  LabelBoard buffering = idle;
  buffering.station = QStringLiteral("buffering... 40%");
  buffering.buttons = PlayButtonImage::Stop;  // the flag stays: the first title still sets it
  cases.push_back({"2 buffering", idle, pb::StatusReport::buffering(40), buffering});

  LabelBoard named = playing;
  named.headers.icyDescription = QStringLiteral("Hits");
  named.headers.icyGenre = QStringLiteral("Pop");
  LabelBoard namedAfter = named;
  namedAfter.station = QStringLiteral("Radio Two \u2013 Hits (Pop)");
  cases.push_back({"3 name with description and genre",
                   named,
                   {pb::ReportCode::StationName, 0, QStringLiteral("Radio Two")},
                   namedAfter});

  LabelBoard bitrate = playing;
  bitrate.status = QStringLiteral("Bitrate 192; 44100 Hz; 2");
  bitrate.rightPlacedAfterStatus = true;
  cases.push_back(
      {"4 bit rate with the audio format", playing, {pb::ReportCode::BitrateLine, 0, QStringLiteral("192")}, bitrate});

  LabelBoard titled = idle;
  titled.track = titled.popupTrack = QStringLiteral("New Song");
  titled.trackFillsPanel = true;
  titled.buttons = PlayButtonImage::Stop;
  titled.playingShown = true;
  cases.push_back({"7 first title", idle, pb::StatusReport::title(QStringLiteral("New Song")), titled});
  LabelBoard untitled = playing;
  untitled.track = QString();
  untitled.popupTrack = QStringLiteral("Radio One");
  untitled.trackFillsPanel = true;
  cases.push_back(
      {"7 empty title: the popup shows the station", playing, pb::StatusReport::title(QString()), untitled});

  LabelBoard status = playing;
  status.status = QStringLiteral("HTTP/1.0 200 OK; 44100 Hz; 2");
  status.rightPlacedAfterStatus = true;
  cases.push_back({"8 status line, previous stream's format", playing,
                   pb::StatusReport::serverStatus("HTTP/1.0 200 OK\r\nicy-name:X\r\n\r\n"), status});
  return cases;
}

TEST(ReportView, EachReportChangesItsLabelsAndButtons) {
  const pb::ReportTexts texts = builtInTexts();
  for (const ReportCase& c : reportCases()) {
    LabelBoard board = c.before;
    board.apply(pb::viewForReport(c.report, board.context(), texts));
    EXPECT_EQ(board.station, c.after.station) << c.what;
    EXPECT_EQ(board.status, c.after.status) << c.what;
    EXPECT_EQ(board.track, c.after.track) << c.what;
    EXPECT_EQ(board.left, c.after.left) << c.what;
    EXPECT_EQ(board.right, c.after.right) << c.what;
    EXPECT_EQ(board.popupTrack, c.after.popupTrack) << c.what;
    EXPECT_EQ(board.rightPlacedAfterStatus, c.after.rightPlacedAfterStatus) << c.what;
    EXPECT_EQ(board.trackFillsPanel, c.after.trackFillsPanel) << c.what;
    EXPECT_EQ(board.buttons, c.after.buttons) << c.what;
    EXPECT_EQ(board.playingShown, c.after.playingShown) << c.what;
    EXPECT_EQ(board.beeps, c.after.beeps) << c.what;
    EXPECT_EQ(board.sleep, c.after.sleep) << c.what;
  }
}

TEST(ReportView, BufferingProgressIsReportedOnlyWhileSomethingIsLeftToBuffer) {
  EXPECT_EQ(pb::StatusReport::bufferingLeft(60), pb::StatusReport::buffering(40));
  EXPECT_EQ(pb::StatusReport::bufferingLeft(100), pb::StatusReport::buffering(0));
  for (const int noReport : {0, -1, 101}) {
    EXPECT_EQ(pb::StatusReport::bufferingLeft(noReport), std::nullopt) << noReport;
  }
}

TEST(ReportView, TheLabelWordsFollowTheLoadedLanguage) {
  pb::ReportTexts texts = builtInTexts();
  texts.buffering = QStringLiteral("Puffern");
  texts.cantPlay = QStringLiteral("Kein Stream");
  texts.errorCode = QStringLiteral("Fehler:");
  LabelBoard board;
  board.apply(pb::viewForReport(pb::StatusReport::buffering(7), board.context(), texts));
  EXPECT_EQ(board.station, QStringLiteral("Puffern... 7%"));
  board.apply(pb::viewForReport(pb::StatusReport::failed(41), board.context(), texts));
  EXPECT_EQ(board.station, QStringLiteral("Kein Stream\n(Fehler: 41)"));
}

TEST(ReportView, PlayingStopAndErrorMoveTheButtonsAndTheSleepRequest) {
  LabelBoard board;
  board.apply(pb::viewForStreamPlaying(board.playingShown));
  EXPECT_EQ(board.buttons, PlayButtonImage::Stop);
  EXPECT_TRUE(board.playingShown);
  EXPECT_EQ(board.sleep, pb::SleepRequest::KeepAwake);
  EXPECT_EQ(pb::viewForStreamPlaying(true), pb::StatusView{}) << "already shown: nothing changes";

  board = playingBoard();
  board.apply(pb::viewForUserStop());
  EXPECT_EQ(board.buttons, PlayButtonImage::Play);
  EXPECT_FALSE(board.playingShown);
  EXPECT_EQ(board.sleep, pb::SleepRequest::AllowSleep);
  EXPECT_EQ(board.track, QString());
  EXPECT_EQ(board.left + board.right, QString());
  EXPECT_EQ(board.station, QStringLiteral("Radio One")) << "station and status keep their texts";
  EXPECT_EQ(board.status, QStringLiteral("Bitrate 128"));

  EXPECT_EQ(pb::playButtonImageName(PlayButtonImage::Play), QStringLiteral("PngPlay_2"));
  EXPECT_EQ(pb::playButtonImageName(PlayButtonImage::Stop), QStringLiteral("PngStop_2"));
}

}  // namespace
