// The station directory's windows off screen against the local stand-in: typing searches once
// after the pause, the list pages in as it is scrolled, an error is shown as one, a found station
// plays without being added and Enter adds it (marking the list unsaved), and the check offers the
// directory's link for a dead station and applies it only when asked.
#include "check_stations_window.h"
#include "directory/directory_feature.h"
#include "directory_client.h"
#include "directory_server.h"
#include "directory_texts.h"
#include "find_stations_window.h"
#include "http_get.h"
#include "listening_texts.h"
#include "logo_cache.h"
#include "paths.h"
#include "playback_controller.h"
#include "program_run.h"
#include "results_model.h"
#include "stream_server.h"
#include "test_profile.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using namespace qv::directory;
using qv::stations::StationEntry;

// Processes events until `done` or the time runs out; true when done.
template <typename Done>
bool waitFor(Done done, int timeoutMs = 15000) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!done() && !deadline.hasExpired()) {
    QTest::qWait(20);
  }
  return done();
}

int asked(const DirectoryServer& server, const char* path) {
  qv::HttpGetOptions options;
  options.plainHttpAllowed = true;
  const std::atomic<bool> never{false};
  const qv::HttpAnswer answer = qv::httpGet(server.good().toUtf8() + "/test/requests", options, never);
  return QJsonDocument::fromJson(answer.body).object().value(QLatin1String(path)).toInt();
}

std::shared_ptr<DirectoryService> serviceOf(const QStringList& servers, const QTemporaryDir& cache) {
  DirectoryService::Options options;
  options.servers = servers;
  options.cacheFolder = cache.filePath(QStringLiteral("directory"));
  options.clickFile = cache.filePath(QStringLiteral("clicks.txt"));
  return std::make_shared<DirectoryService>(options);
}

TEST(FindStationsWindow, PagesAsTheListScrollsAndTypingSearchesOnceAfterThePause) {
  const TestProfile profile;  // the logos go to its covers folder
  qv::i18n::applyBuiltInDirectoryTexts();
  DirectoryServer server("http://127.0.0.1:9", 120);
  ASSERT_TRUE(server.ok()) << server.error();
  QTemporaryDir cache;
  DirectoryClient client(serviceOf({server.good()}, cache));
  qv::ui::FindStationsWindow window(client);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  qv::ui::ResultsModel& results = *window.results();
  ASSERT_TRUE(waitFor([&] { return results.rowCount() == qv::ui::FindStationsWindow::kPageSize; }));
  for (const int expected : {100, 121}) {  // 120 stations and the one to repair
    window.resultsView()->scrollToBottom();
    ASSERT_TRUE(waitFor([&] { return results.rowCount() == expected; })) << results.rowCount();
  }
  QTest::qWait(300);
  EXPECT_EQ(results.rowCount(), 121) << "no page after the last";

  // Every other station names a favicon: it is fetched into the logo cache and shown by the name.
  for (const int row : {0, 1}) {
    const DirectoryStation& station = *results.station(row);
    const QModelIndex name = results.index(row, qv::ui::ResultsModel::Name);
    if (station.favicon.isEmpty()) {
      EXPECT_FALSE(results.data(name, Qt::DecorationRole).isValid()) << row;
      continue;
    }
    ASSERT_TRUE(waitFor([&] { return results.data(name, Qt::DecorationRole).isValid(); })) << row;
    EXPECT_TRUE(
        QFileInfo::exists(qv::playlists::StationLogoFile(qv::paths::CoversFolder(), station.name, station.favicon)));
  }

  const int before = asked(server, "/json/stations/search");
  window.nameEdit()->setFocus();
  QTest::keyClicks(window.nameEdit(), QStringLiteral("Golf"), Qt::NoModifier, 20);
  ASSERT_TRUE(
      waitFor([&] { return results.rowCount() > 0 && results.station(0)->name.startsWith(QLatin1String("Golf")); }));
  QTest::qWait(qv::ui::FindStationsWindow::kTypingPauseMs + 200);
  EXPECT_EQ(asked(server, "/json/stations/search"), before + 1) << "one search for four keys";
  for (int row = 0; row < results.rowCount(); ++row) {
    EXPECT_TRUE(results.station(row)->name.startsWith(QLatin1String("Golf")));
  }
  EXPECT_TRUE(window.statusLabel()->text().isEmpty());

  QTest::keyClicks(window.nameEdit(), QStringLiteral("zzz"));
  QTest::keyClick(window.nameEdit(), Qt::Key_Return);  // at once, without the pause
  ASSERT_TRUE(waitFor([&] { return window.statusLabel()->text() == qv::l_findnone; }));
  EXPECT_EQ(results.rowCount(), 0);
}

TEST(FindStationsWindow, WithNoServerAnsweringItSaysSoInsteadOfNoResults) {
  const TestProfile profile;
  qv::i18n::applyBuiltInDirectoryTexts();
  DirectoryServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  QTemporaryDir cache;
  DirectoryClient client(serviceOf({server.refused(), server.unavailable(), server.html()}, cache));
  qv::ui::FindStationsWindow window(client);
  window.show();
  const QString prefix = qv::l_findunreachable.section(QLatin1String("%1"), 0, 0);
  ASSERT_TRUE(waitFor([&] { return window.statusLabel()->text().startsWith(prefix); }))
      << window.statusLabel()->text().toStdString();
  EXPECT_NE(window.statusLabel()->text(), qv::l_findnone);
  EXPECT_EQ(window.results()->rowCount(), 0);
  EXPECT_FALSE(window.findChild<QPushButton*>(QStringLiteral("findAdd"))->isEnabled());
}

class DirectoryInThePlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(streams.ok()) << streams.error();
    ASSERT_TRUE(directory.ok()) << directory.error();
    qputenv("QUORVENTALE_DIRECTORY", directory.good().toUtf8());
    ASSERT_TRUE(run.start());
  }
  void TearDown() override {
    run.finish();
    qunsetenv("QUORVENTALE_DIRECTORY");
  }

  QString stream(const char* path) const { return QString::fromStdString(streams.url(path)); }

  StreamServer streams;
  DirectoryServer directory{streams.ok() ? streams.url("") : std::string("http://127.0.0.1:9")};
  ProgramRun run;
};

TEST_F(DirectoryInThePlayer, AFoundStationPlaysAtOnceAndEnterAddsIt) {
  MainForm->UnsavedPL = false;
  const std::size_t before = MainForm->Stations.PLAY_ARRAY().size();
  qv::ui::FindStationsWindow& finder = MainForm->directoryFeature().showFinder();
  ASSERT_TRUE(waitFor([&] { return finder.results()->rowCount() > 0; }));
  QTableView* view = finder.resultsView();
  view->setFocus();
  view->selectRow(1);
  const DirectoryStation chosen = *finder.results()->station(1);

  QSignalSpy requested(&MainForm->playbackController(), &qv::playback::PlaybackController::stationRequested);
  QTest::keyClick(view, Qt::Key_Space);
  ASSERT_EQ(requested.size(), 1);
  EXPECT_EQ(requested[0][0].toInt(), -1) << "played without being in the list";
  EXPECT_EQ(requested[0][1].value<StationEntry>().Link, chosen.playableLink());
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().size(), before);
  EXPECT_FALSE(MainForm->UnsavedPL);

  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_EQ(MainForm->Stations.PLAY_ARRAY().size(), before + 1);
  const StationEntry& added = MainForm->Stations.PLAY_ARRAY().back();
  StationEntry expected{chosen.name, chosen.playableLink(), chosen.firstTag(), chosen.favicon};
  expected.StationUuid = chosen.uuid;
  EXPECT_EQ(added, expected);
  EXPECT_TRUE(MainForm->UnsavedPL);

  ASSERT_TRUE(waitFor([&] { return asked(directory, "/json/url/" + chosen.uuid.toLatin1()) == 1; }))
      << "the play is counted";
  MainForm->playbackController().stop();

  // A station added from the directory long ago counts too when it plays from the list.
  const DirectoryStation& other = *finder.results()->station(2);
  MainForm->Stations.replaceAll({qv::ui::DirectoryFeature::entryOf(other)});
  ASSERT_TRUE(waitFor([&] {
    MainForm->playbackController().playStation(0, true);  // refused while the last open is pending
    return asked(directory, "/json/url/" + other.uuid.toLatin1()) == 1;
  }));
  MainForm->playbackController().stop();
}

TEST_F(DirectoryInThePlayer, TheCheckOffersTheDirectorysLinkAndChangesOnlyWhatIsApplied) {
  const std::vector<StationEntry> list{{QStringLiteral("Fine"), stream("/icy/sine1k.mp3"), {}, {}},
                                       {QStringLiteral("Gone"), stream("/status/404"), {}, {}},
                                       {QStringLiteral("Lost"), stream("/status/410"), {}, {}}};
  MainForm->Stations.replaceAll(list);
  MainForm->UnsavedPL = false;
  qv::ui::CheckStationsWindow& check = MainForm->directoryFeature().showCheck();
  const QString done = qv::l_checksummary.arg(1).arg(2).arg(0);
  ASSERT_TRUE(waitFor([&] { return check.statusLabel()->text() == done; }))
      << check.statusLabel()->text().toStdString();
  QTreeWidget* rows = check.rows();
  EXPECT_EQ(rows->topLevelItem(0)->text(1), qv::l_checkalive);
  EXPECT_EQ(rows->topLevelItem(1)->text(1), qv::l_checkdead.arg(404));
  EXPECT_EQ(rows->topLevelItem(1)->text(3), stream("/icy/sine1k.mp3?name=Repaired"));
  EXPECT_EQ(rows->topLevelItem(2)->text(3), QString()) << "the directory does not know it";
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY(), list) << "nothing changes before it is applied";
  EXPECT_FALSE(MainForm->UnsavedPL);

  EXPECT_FALSE(check.applyButton()->isEnabled());
  EXPECT_TRUE(check.applyAllButton()->isEnabled());
  check.applyAllButton()->click();
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY()[1].Link, stream("/icy/sine1k.mp3?name=Repaired"));
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY()[1].Name, QStringLiteral("Gone")) << "the user's name stays";
  EXPECT_FALSE(MainForm->Stations.PLAY_ARRAY()[1].StationUuid.isEmpty());
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY()[2], list[2]);
  EXPECT_TRUE(MainForm->UnsavedPL);
  EXPECT_FALSE(check.applyAllButton()->isEnabled()) << "applied once";
  check.close();
}

}  // namespace

namespace {

// The station editor made at start-up once put every program-wide text back to English, so the
// directory's windows (and the history and sleep timer captions) ignored the chosen language.
TEST(LanguageAtStartUp, TheStationEditorLeavesTheProgramWideTextsAlone) {
  qv::l_findtitle = QStringLiteral("Sender finden");
  qv::l_history = QStringLiteral("Verlauf");
  { TAddEditForm editor; }
  EXPECT_EQ(qv::l_findtitle, QStringLiteral("Sender finden"));
  EXPECT_EQ(qv::l_history, QStringLiteral("Verlauf"));
  qv::i18n::applyBuiltInDirectoryTexts();
  qv::i18n::applyBuiltInListeningTexts();
}

}  // namespace
