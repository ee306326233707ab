// The discovery's order and fallbacks through a resolver that answers from a table, and the pool's
// moving on after a failure. No name is ever looked up for real here.
#include "server_pool.h"

#include <gtest/gtest.h>

namespace {

using namespace qv::directory;

class TableResolver : public DirectoryResolver {
 public:
  TableResolver(std::vector<SrvRecord> srv, QStringList names) : m_srv(std::move(srv)), m_names(std::move(names)) {}
  std::vector<SrvRecord> srvRecords(const QString& name) override {
    asked.append(name);
    return m_srv;
  }
  QStringList hostNamesBehind(const QString& host) override {
    asked.append(host);
    return m_names;
  }
  QStringList asked;

 private:
  std::vector<SrvRecord> m_srv;
  QStringList m_names;
};

TEST(ServerDiscovery, SrvRecordsComeFirstByPriorityThenTheNamesThenTheBuiltInList) {
  // Several seeds: the order within one priority changes, the order of priorities never does.
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    TableResolver resolver({{QStringLiteral("b2.example."), 443, 20, 1},
                            {QStringLiteral("a1.example."), 8443, 10, 1},
                            {QStringLiteral("a2.example."), 443, 10, 1},
                            {QStringLiteral("a1.example."), 8443, 10, 1}},
                           {QStringLiteral("never.example")});
    const QStringList servers = discoverServers(resolver, random);
    ASSERT_EQ(servers.size(), 3) << "a doubled record is one server";
    QStringList firstTwo{servers[0], servers[1]};
    firstTwo.sort();
    EXPECT_EQ(firstTwo, QStringList({QStringLiteral("https://a1.example:8443"), QStringLiteral("https://a2.example")}))
        << "priority 10 first, the port kept, the root dot dropped";
    EXPECT_EQ(servers[2], QStringLiteral("https://b2.example")) << "the higher priority number comes last";
    EXPECT_EQ(resolver.asked, QStringList(QLatin1String(kSrvName))) << "the names are not asked when SRV answers";
  }

  std::mt19937 random(7);
  TableResolver namesOnly({}, {QStringLiteral("x.example"), QStringLiteral("y.example.")});
  QStringList servers = discoverServers(namesOnly, random);
  servers.sort();
  EXPECT_EQ(servers, QStringList({QStringLiteral("https://x.example"), QStringLiteral("https://y.example")}));
  EXPECT_EQ(namesOnly.asked, QStringList({QLatin1String(kSrvName), QLatin1String(kAllServersName)}));

  TableResolver nothing({}, {});
  servers = discoverServers(nothing, random);
  QStringList builtIn = builtInServers();
  servers.sort();
  builtIn.sort();
  EXPECT_EQ(servers, builtIn);
}

TEST(ServerDiscovery, TheShuffleSpreadsClientsOverTheMirrors) {
  QStringList firsts;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::mt19937 random(seed);
    TableResolver resolver({}, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    firsts.append(discoverServers(resolver, random).front());
  }
  firsts.removeDuplicates();
  EXPECT_EQ(firsts.size(), 3);
}

TEST(ServerDiscovery, TheEnvironmentReplacesTheDiscovery) {
  const QByteArray saved = qgetenv("QUORVENTALE_DIRECTORY");
  qputenv("QUORVENTALE_DIRECTORY", " http://127.0.0.1:5/ ,,ftp://no,https://mirror.example//,http://127.0.0.1:5");
  EXPECT_EQ(serversFromEnvironment(),
            QStringList({QStringLiteral("http://127.0.0.1:5"), QStringLiteral("https://mirror.example")}));
  qunsetenv("QUORVENTALE_DIRECTORY");
  EXPECT_TRUE(serversFromEnvironment().isEmpty());
  if (!saved.isNull()) {
    qputenv("QUORVENTALE_DIRECTORY", saved);
  }
}

TEST(ServerPool, AFailedServerHandsOverToTheNext) {
  ServerPool pool({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
  EXPECT_EQ(pool.order(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
  pool.failed(QStringLiteral("a"));
  EXPECT_EQ(pool.order(), QStringList({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")}));
  pool.failed(QStringLiteral("a"));  // a late report of a server that is no longer current
  EXPECT_EQ(pool.order().front(), QStringLiteral("b"));
  pool.failed(QStringLiteral("b"));
  pool.failed(QStringLiteral("c"));
  EXPECT_EQ(pool.order().front(), QStringLiteral("a")) << "round again once every server failed";
}

}  // namespace
