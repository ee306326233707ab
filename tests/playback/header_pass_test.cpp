#include "header_pass.h"

#include "interface_texts.h"
#include "label_board.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace pb = qv::playback;

namespace {

QList<QByteArray> lines(std::initializer_list<const char*> texts) {
  QList<QByteArray> result;
  for (const char* text : texts) {
    result.append(QByteArray(text));
  }
  return result;
}

// Runs a header pass on `board` as the monitor does: each report with the values gathered before
// it, then the values are remembered.
void runHeaderPass(LabelBoard& board, const QList<QByteArray>& headerLines) {
  qv::i18n::MainFormTexts form;
  qv::i18n::applyBuiltInTexts(form);
  const pb::ReportTexts texts = pb::ReportTexts::current(form);
  const pb::HeaderPass pass = pb::readHeaderPass(headerLines);
  for (const pb::HeaderPassReport& step : pass.reports) {
    pb::ReportContext context = board.context();
    context.headers = step.headersSoFar;
    board.apply(pb::viewForReport(step.report, context, texts));
  }
  board.headers = pass.headers;
}

TEST(HeaderPass, TheGenreShowsOnlyWhenItComesBeforeTheName) {
  LabelBoard genreFirst;
  runHeaderPass(genreFirst, lines({"ICY 200 OK", "icy-genre:Jazz", "icy-name:Radio One", "icy-br:128", ""}));
  EXPECT_EQ(genreFirst.station, QStringLiteral("Radio One (Jazz)"));
  EXPECT_EQ(genreFirst.status, QStringLiteral("Bitrate 128"));

  LabelBoard nameFirst;
  runHeaderPass(nameFirst, lines({"ICY 200 OK", "icy-name:Radio One", "icy-genre:Jazz", "icy-br:128", ""}));
  EXPECT_EQ(nameFirst.station, QStringLiteral("Radio One"));
  EXPECT_EQ(nameFirst.headers.icyGenre, QStringLiteral("Jazz")) << "remembered for the next pass";
}

TEST(HeaderPass, AudioInfoGivesRateAndChannelsToTheBitRateLine) {
  LabelBoard board;
  runHeaderPass(board, lines({"HTTP/1.0 200 OK", "ice-audio-info: ice-samplerate=44100;ice-bitrate=128;ice-channels=2",
                              "icy-description: Best \xc3\xa9 hits ", "icy-name: Radio One ", "icy-br: 128",
                              "icy-url: http://radio.one/ ", "", "icy-genre:After the end"}));
  EXPECT_EQ(board.station, QStringLiteral("Radio One \u2013 Best \u00e9 hits"));
  EXPECT_EQ(board.status, QStringLiteral("Bitrate 128; 44100 Hz; 2"));
  EXPECT_TRUE(board.rightPlacedAfterStatus);
  EXPECT_EQ(board.headers,
            (pb::HeaderValues{QStringLiteral("http://radio.one/"), QString(), QStringLiteral("Best \u00e9 hits"),
                              QStringLiteral("44100 Hz"), QStringLiteral("2")}));
}

TEST(HeaderPass, EmbeddedValuesRunToTheirSeparator) {
  const std::pair<const char*, pb::HeaderValues> cases[] = {
      {"ice-audio-info: ice-channels=1;ice-samplerate=8000",
       {{}, {}, {}, QStringLiteral("8000 Hz"), QStringLiteral("1")}},
      {"ice-audio-info: ice-samplerate=22050", {{}, {}, {}, QStringLiteral("22050 Hz"), {}}},
      {"ice-samplerate: 48000", {{}, {}, {}, QStringLiteral("48000 Hz"), {}}},
      {"ice-audio-info: ice-samplerate=;ice-channels=2", {{}, {}, {}, {}, QStringLiteral("2")}},
      {"Icy-Name: case matters", {}},
  };
  for (const auto& [line, values] : cases) {
    const pb::HeaderPass pass = pb::readHeaderPass(lines({line}));
    EXPECT_EQ(pass.headers, values) << line;
    EXPECT_TRUE(pass.reports.empty()) << line;
  }
}

TEST(HeaderPass, AStreamWithoutNameLeavesTheStationLabel) {
  LabelBoard board;
  board.station = QStringLiteral("buffering... 90%");
  runHeaderPass(board, lines({"HTTP/1.1 200 OK", "Content-Type: audio/mpeg", ""}));
  EXPECT_EQ(board.station, QStringLiteral("buffering... 90%"));
  EXPECT_EQ(board.headers, pb::HeaderValues{});
}

}  // namespace
