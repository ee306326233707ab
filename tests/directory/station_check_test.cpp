// The check of a station list: each kind of station of the local stream server gets its verdict,
// a dead or moved one gets the directory's current link, at most eight probes run at once, and a
// network that is down marks nothing dead.
#include "station_check.h"
#include "directory_server.h"
#include "directory_service.h"
#include "stream_server.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

namespace {

using namespace qv::directory;
using qv::stations::StationEntry;

class StationCheck_ : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_streams = new StreamServer;
    s_directory = new DirectoryServer(s_streams->ok() ? s_streams->url("") : std::string("http://127.0.0.1:9"));
  }
  static void TearDownTestSuite() {
    delete s_directory;
    delete s_streams;
    s_directory = nullptr;
    s_streams = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(s_streams->ok()) << s_streams->error();
    ASSERT_TRUE(s_directory->ok()) << s_directory->error();
  }

  static QString stream(const char* path) { return QString::fromStdString(s_streams->url(path)); }

  std::unique_ptr<DirectoryService> directory() {
    DirectoryService::Options options;
    options.servers = {s_directory->good()};
    options.cacheFolder = m_cache.filePath(QStringLiteral("directory"));
    options.clickFile = m_cache.filePath(QStringLiteral("clicks.txt"));
    return std::make_unique<DirectoryService>(options);
  }

  static inline StreamServer* s_streams = nullptr;
  static inline DirectoryServer* s_directory = nullptr;
  QTemporaryDir m_cache;
  const std::atomic<bool> m_never{false};
};

TEST_F(StationCheck_, EachKindOfStationGetsItsVerdict) {
  struct Case {
    const char* name;
    QString link;
    Verdict verdict;
    DeadReason reason;
    int status;
  };
  const Case cases[] = {
      {"live ICY station", stream("/icy/sine1k.mp3"), Verdict::Alive, DeadReason::None, 200},
      {"plain file", stream("/file/sine1k.ogg"), Verdict::Alive, DeadReason::None, 200},
      {"temporary redirects", stream("/redirect/2/sine1k.mp3"), Verdict::Alive, DeadReason::None, 200},
      {"HLS playlist", stream("/hls/vod/hls_mp3_ts.m3u8"), Verdict::Alive, DeadReason::None, 200},
      {"playlist link", stream("/playlist/to/sine1k.mp3.pls"), Verdict::Alive, DeadReason::None, 200},
      {"gone", stream("/status/404"), Verdict::Dead, DeadReason::HttpStatus, 404},
      {"server error", stream("/status/500"), Verdict::Dead, DeadReason::HttpStatus, 500},
      {"nothing listens", s_directory->refused() + QStringLiteral("/live"), Verdict::Dead, DeadReason::Refused, 0},
      {"headers, then silence", stream("/stall/sine1k.mp3?after=0&pause=30"), Verdict::Dead, DeadReason::TimedOut, 0},
      {"never answers", stream("/silent"), Verdict::Dead, DeadReason::TimedOut, 0},
      {"a text page", stream("/file/not_audio.bin?type=text/html"), Verdict::Dead, DeadReason::NotAudio, 200},
      {"text sent as bytes", stream("/file/not_audio.bin"), Verdict::Dead, DeadReason::NotAudio, 200},
      {"closed after the headers", stream("/close/sine1k.mp3?after=0"), Verdict::Dead, DeadReason::NotAudio, 200},
      {"playlist of a dead link", stream("/playlist/to/missing.mp3.pls"), Verdict::Dead, DeadReason::HttpStatus, 404},
      {"not a web link", QStringLiteral("file:///dev/zero"), Verdict::Dead, DeadReason::BadLink, 0},
  };
  ProbeOptions options;
  options.timeout = std::chrono::seconds(2);
  for (const Case& c : cases) {
    const ProbeResult result = probeStation(c.link, m_never, options);
    EXPECT_EQ(result.verdict, c.verdict) << c.name;
    EXPECT_EQ(result.reason, c.reason) << c.name;
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_FALSE(result.networkFailure) << c.name << ": the network works";
  }
  const ProbeResult moved = probeStation(stream("/moved/sine1k.mp3?name=x"), m_never, options);
  EXPECT_EQ(moved.verdict, Verdict::Moved);
  EXPECT_EQ(moved.movedTo, stream("/icy/sine1k.mp3?name=x"));
}

TEST_F(StationCheck_, DeadAndMovedStationsAreOfferedTheDirectorysLink) {
  auto service = directory();
  StationEntry byLink{QStringLiteral("Old name"), stream("/status/404"), QString(), QString()};
  StationEntry byId{QStringLiteral("Mine"), stream("/status/410"), QString(), QString()};
  byId.StationUuid = QStringLiteral("00000000-0000-4000-8000-00000000beef");
  StationEntry byName{QStringLiteral("Charlie Radio 03"), stream("/status/404?x"), QString(), QString()};
  StationEntry unknown{QStringLiteral("Nobody knows"), stream("/status/404?y"), QString(), QString()};
  StationEntry moved{QStringLiteral("Moved"), stream("/moved/sine1k.mp3"), QString(), QString()};
  StationEntry alive{QStringLiteral("Fine"), stream("/icy/sine1k.mp3"), QString(), QString()};
  const std::vector<StationEntry> list{byLink, byId, byName, unknown, moved, alive};

  std::mutex mutex;
  std::map<int, CheckedStation> results;
  CheckOptions options;
  options.directory = service.get();
  const CheckSummary summary = checkStations(list, options, m_never, [&](const CheckedStation& checked) {
    std::lock_guard lock(mutex);
    results[checked.index] = checked;
  });
  ASSERT_EQ(results.size(), list.size());
  EXPECT_EQ(summary.dead, 4);
  EXPECT_EQ(summary.moved, 1);
  EXPECT_EQ(summary.alive, 1);
  EXPECT_FALSE(summary.networkDown);

  const QString repaired = stream("/icy/sine1k.mp3?name=Repaired");
  ASSERT_TRUE(results[0].replacement) << "byurl";
  EXPECT_EQ(results[0].replacement->link, repaired);
  EXPECT_EQ(results[0].replacement->uuid, byId.StationUuid);
  ASSERT_TRUE(results[1].replacement) << "byuuid";
  EXPECT_EQ(results[1].replacement->link, repaired);
  ASSERT_TRUE(results[2].replacement) << "by name";
  EXPECT_EQ(results[2].replacement->name, QStringLiteral("Charlie Radio 03"));
  EXPECT_FALSE(results[3].replacement);
  ASSERT_TRUE(results[4].replacement) << "a moved station the directory lacks keeps where it moved";
  EXPECT_EQ(results[4].replacement->link, stream("/icy/sine1k.mp3"));
  EXPECT_FALSE(results[5].replacement);
}

TEST_F(StationCheck_, AtMostEightProbesRunAtOnce) {
  std::atomic<int> running{0};
  std::atomic<int> most{0};
  CheckOptions options;
  options.probe = [&](const QString&, const std::atomic<bool>&) {
    const int now = ++running;
    for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    --running;
    return ProbeResult{Verdict::Alive, DeadReason::None, 200, {}, false};
  };
  const std::vector<StationEntry> list(50, StationEntry{QStringLiteral("x"), QStringLiteral("http://x/"), {}, {}});
  std::atomic<int> reported{0};
  const CheckSummary summary = checkStations(list, options, m_never, [&](const CheckedStation&) { ++reported; });
  EXPECT_EQ(reported.load(), 50);
  EXPECT_EQ(summary.alive, 50);
  EXPECT_EQ(most.load(), 8);
}

TEST_F(StationCheck_, ANetworkThatIsDownMarksNothingDead) {
  const auto probeFrom = [](std::map<QString, ProbeResult> table) {
    return [table](const QString& link, const std::atomic<bool>&) { return table.at(link); };
  };
  const ProbeResult noRoute{Verdict::Dead, DeadReason::Unreachable, 0, {}, true};
  const ProbeResult refused{Verdict::Dead, DeadReason::Refused, 0, {}, false};
  const std::vector<StationEntry> list{{QStringLiteral("a"), QStringLiteral("http://a/"), {}, {}},
                                       {QStringLiteral("b"), QStringLiteral("http://b/"), {}, {}}};
  struct Case {
    const char* name;
    ProbeResult b;
    bool networkDown;
    int dead;
    int unchecked;
  };
  const Case cases[] = {
      {"every host unreachable", noRoute, true, 0, 2},
      {"another host answered", refused, false, 2, 0},
  };
  for (const Case& c : cases) {
    CheckOptions options;
    options.probe = probeFrom({{QStringLiteral("http://a/"), noRoute}, {QStringLiteral("http://b/"), c.b}});
    std::vector<Verdict> verdicts;
    std::mutex mutex;
    const CheckSummary summary = checkStations(list, options, m_never, [&](const CheckedStation& checked) {
      std::lock_guard lock(mutex);
      verdicts.push_back(checked.probe.verdict);
    });
    EXPECT_EQ(summary.networkDown, c.networkDown) << c.name;
    EXPECT_EQ(summary.dead, c.dead) << c.name;
    EXPECT_EQ(summary.unchecked, c.unchecked) << c.name;
    EXPECT_EQ(verdicts.size(), 2U) << c.name << ": every station is reported once";
  }
}

TEST_F(StationCheck_, ACancelEndsTheCheckWithinASecond) {
  StationCheck check({});
  QSignalSpy finished(&check, &StationCheck::finished);
  const std::vector<StationEntry> list(20, StationEntry{QStringLiteral("x"), stream("/silent"), {}, {}});
  ASSERT_TRUE(check.start(list));
  QTest::qWait(300);
  const auto cancelledAt = std::chrono::steady_clock::now();
  check.cancel();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_LT(std::chrono::steady_clock::now() - cancelledAt, std::chrono::milliseconds(1500));
  EXPECT_TRUE(finished.at(0).at(0).value<CheckSummary>().cancelled);
}

}  // namespace
