// The directory client against the local stand-in: search and paging, failover over every kind of
// failing server, the newest search winning, clicks once a day across runs, the cached facets and
// the offline case. Every server is on 127.0.0.1; the real discovery never runs.
#include "directory_service.h"
#include "directory_client.h"
#include "directory_server.h"
#include "http_get.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace qv::directory;

class DirectoryService_ : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_server = new DirectoryServer; }
  static void TearDownTestSuite() {
    delete s_server;
    s_server = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(s_server->ok()) << s_server->error(); }

  std::unique_ptr<DirectoryService> service(const QStringList& servers) {
    DirectoryService::Options options;
    options.servers = servers;
    options.makeResolver = []() -> std::unique_ptr<DirectoryResolver> {
      ADD_FAILURE() << "the discovery ran in a test";
      return nullptr;
    };
    options.cacheFolder = m_cache.filePath(QStringLiteral("directory"));
    options.clickFile = m_cache.filePath(QStringLiteral("clicks.txt"));
    options.now = [this] { return m_now; };
    return std::make_unique<DirectoryService>(options);
  }

  //! The stand-in's record of what it was asked ("/test/requests" or "/test/clicks").
  static QJsonObject record(const char* path) {
    qv::HttpGetOptions options;
    options.plainHttpAllowed = true;
    const std::atomic<bool> never{false};
    const qv::HttpAnswer answer = qv::httpGet(s_server->good().toUtf8() + path, options, never);
    return QJsonDocument::fromJson(answer.body).object();
  }

  static QStringList names(const std::vector<DirectoryStation>& stations) {
    QStringList out;
    for (const DirectoryStation& station : stations) {
      out.append(station.name);
    }
    return out;
  }

  static inline DirectoryServer* s_server = nullptr;
  QTemporaryDir m_cache;
  QDateTime m_now = QDateTime(QDate(2026, 12, 11), QTime(12, 0), Qt::UTC);
  const std::atomic<bool> m_never{false};
};

TEST_F(DirectoryService_, SearchFiltersSortsAndPages) {
  auto directory = service({s_server->good()});
  SearchQuery query;
  query.limit = 10;
  query.order = SortOrder::Name;
  QStringList all;
  for (int page = 0; page < 6; ++page) {  // 37 stations: four full pages, then the rest, then nothing
    query.offset = page * 10;
    const Parsed<DirectoryStation> found = directory->search(query, m_never);
    ASSERT_TRUE(found.ok()) << found.error.toStdString();
    EXPECT_EQ(found.items.size(), page < 3 ? 10U : page == 3 ? 7U : 0U) << "page " << page;
    all += names(found.items);
  }
  EXPECT_EQ(all.size(), 37);
  QStringList sorted = all;
  sorted.sort();
  EXPECT_EQ(all, sorted) << "pages continue one another in name order";
  sorted.removeDuplicates();
  EXPECT_EQ(sorted.size(), 37);

  query = {};
  query.tag = QStringLiteral("jazz");
  query.countryCode = QStringLiteral("DE");
  query.bitrateMin = 100;
  query.hideBroken = true;
  const Parsed<DirectoryStation> narrow = directory->search(query, m_never);
  ASSERT_TRUE(narrow.ok());
  ASSERT_FALSE(narrow.items.empty());
  for (const DirectoryStation& station : narrow.items) {
    EXPECT_TRUE(station.tags.contains(QLatin1String("jazz")));
    EXPECT_EQ(station.countryCode, QStringLiteral("DE"));
    EXPECT_GE(station.bitrate, 100);
    EXPECT_FALSE(station.broken);
  }
  for (std::size_t i = 1; i < narrow.items.size(); ++i) {
    EXPECT_GE(narrow.items[i - 1].votes, narrow.items[i].votes) << "most votes first";
  }

  query = {};
  query.name = QStringLiteral("Radio 01&x=1");  // a name cannot add parameters of its own
  EXPECT_TRUE(directory->search(query, m_never).items.empty());
  query.name = QStringLiteral("alpha radio 01");
  EXPECT_EQ(names(directory->search(query, m_never).items), QStringList(QStringLiteral("Alpha Radio 01")));
}

TEST_F(DirectoryService_, EveryKindOfFailingServerHandsOverToTheNext) {
  struct Case {
    const char* name;
    QString failing;
  };
  const Case cases[] = {
      {"nothing listens", s_server->refused()},
      {"status 503", s_server->unavailable()},
      {"an HTML page with status 200", s_server->html()},
  };
  for (const Case& c : cases) {
    auto directory = service({c.failing, s_server->good()});
    SearchQuery query;
    query.limit = 5;
    const Parsed<DirectoryStation> found = directory->search(query, m_never);
    ASSERT_TRUE(found.ok()) << c.name << ": " << found.error.toStdString();
    EXPECT_EQ(found.items.size(), 5U) << c.name;
    EXPECT_EQ(directory->servers().front(), s_server->good()) << c.name << ": the next request starts at the good one";
  }
}

TEST_F(DirectoryService_, WithEveryServerFailingTheErrorNamesEachAndNothingIsCached) {
  auto directory =
      service({s_server->refused(), s_server->unavailable(), s_server->html(), QStringLiteral("http://127.0.0.1:9")});
  const Parsed<DirectoryStation> found = directory->search({}, m_never);
  EXPECT_FALSE(found.ok()) << "an error, never an empty result";
  EXPECT_TRUE(found.error.contains(QLatin1String("503"))) << found.error.toStdString();
  EXPECT_TRUE(found.error.contains(QLatin1String("not JSON"))) << found.error.toStdString();
  const Parsed<Facet> facets = directory->facets(FacetKind::Countries, m_never);
  EXPECT_FALSE(facets.ok());
  EXPECT_FALSE(QFileInfo::exists(m_cache.filePath(QStringLiteral("directory/countries.json"))));

  DirectoryClient client(std::shared_ptr<DirectoryService>(std::move(directory)));
  QSignalSpy finished(&client, &DirectoryClient::searchFinished);
  client.search({});
  ASSERT_TRUE(finished.wait(20000));
  EXPECT_FALSE(finished.at(0).at(3).toString().isEmpty()) << "the window gets an error to show";
}

TEST_F(DirectoryService_, TheNewestSearchWins) {
  DirectoryClient client(std::shared_ptr<DirectoryService>(service({s_server->good()})));
  QSignalSpy finished(&client, &DirectoryClient::searchFinished);
  SearchQuery slow;
  slow.name = QStringLiteral("slow");  // answered after 1.5 s
  client.search(slow);
  SearchQuery newer;
  newer.name = QStringLiteral("Bravo");
  const quint64 newest = client.search(newer);
  ASSERT_TRUE(finished.wait(10000));
  QTest::qWait(2000);  // long enough for the slow answer to have come, had it been let through
  ASSERT_EQ(finished.size(), 1);
  EXPECT_EQ(finished.at(0).at(0).toULongLong(), newest);
  const auto stations = finished.at(0).at(2).value<std::vector<DirectoryStation>>();
  ASSERT_FALSE(stations.empty());
  for (const DirectoryStation& station : stations) {
    EXPECT_TRUE(station.name.startsWith(QLatin1String("Bravo")));
  }
}

TEST_F(DirectoryService_, AStationIsCountedOnceADayAcrossRuns) {
  const QString uuid = QStringLiteral("00000000-0000-4000-8000-000000000003");
  using Outcome = DirectoryService::ClickOutcome;
  EXPECT_EQ(service({s_server->good()})->countClick(uuid, m_never), Outcome::Sent);
  EXPECT_EQ(service({s_server->good()})->countClick(uuid, m_never), Outcome::AlreadyCounted) << "after a restart";
  m_now = m_now.addSecs(23 * 3600);
  EXPECT_EQ(service({s_server->good()})->countClick(uuid, m_never), Outcome::AlreadyCounted);
  m_now = m_now.addSecs(2 * 3600);
  EXPECT_EQ(service({s_server->good()})->countClick(uuid, m_never), Outcome::Sent) << "a day later";
  EXPECT_EQ(service({s_server->good()})->countClick(QStringLiteral("../../x"), m_never), Outcome::AlreadyCounted)
      << "nothing that is not an id goes into the path";
  EXPECT_EQ(record("/test/clicks").value(uuid).toInt(), 2);
}

TEST_F(DirectoryService_, FacetsAreCachedForADay) {
  const auto asked = [] { return record("/test/requests").value(QLatin1String("/json/countries")).toInt(); };
  const int before = asked();
  const Parsed<Facet> first = service({s_server->good()})->facets(FacetKind::Countries, m_never);
  ASSERT_TRUE(first.ok()) << first.error.toStdString();
  EXPECT_EQ(first.items.size(), 4U);
  EXPECT_EQ(first.items.front(), (Facet{QStringLiteral("France"), QStringLiteral("FR"), 9}));
  EXPECT_EQ(asked(), before + 1);

  m_now = QDateTime::currentDateTimeUtc().addSecs(3600);  // the file's age is measured on the real clock
  // The cache serves even when no server answers.
  EXPECT_EQ(service({s_server->refused()})->facets(FacetKind::Countries, m_never).items, first.items);
  EXPECT_EQ(asked(), before + 1);
  m_now = QDateTime::currentDateTimeUtc().addSecs(25 * 3600);
  EXPECT_EQ(service({s_server->good()})->facets(FacetKind::Countries, m_never).items, first.items);
  EXPECT_EQ(asked(), before + 2) << "a day old: asked again";

  const Parsed<Facet> tags = service({s_server->good()})->facets(FacetKind::Tags, m_never);
  EXPECT_TRUE(tags.ok());
  EXPECT_EQ(tags.items.size(), 7U);
}

}  // namespace
