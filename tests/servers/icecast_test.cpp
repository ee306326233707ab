// The Icecast harness is the engine's real-server peer: it must start, stream the music fixture
// as ICY MP3 with changing titles, and stop everything it started.

#include "icecast_server.h"
#include "raw_client.h"

#include <QByteArray>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(IcecastHarness, StreamsMp3WithChangingTitlesAndStopsCleanly) {
  IcecastServer icecast;
  if (icecast.notInstalled()) {
    GTEST_SKIP() << icecast.error();
  }
  ASSERT_TRUE(icecast.ok()) << icecast.error();
  ASSERT_TRUE(QByteArray::fromStdString(icecast.url()).endsWith("/live.mp3"));

  RawClient client(icecast.port());
  client.get("/live.mp3", "Icy-MetaData: 1\r\n");
  ASSERT_TRUE(client.readHead());
  EXPECT_EQ(client.statusLine(), "HTTP/1.0 200 OK");
  EXPECT_EQ(client.header("Content-Type"), "audio/mpeg");
  EXPECT_EQ(client.header("icy-name"), "Icecast Test Radio");
  ASSERT_EQ(client.header("icy-metaint"), "16000");

  // Titles change every 2 s; collect two distinct ones within 10 s.
  static const QRegularExpression title(QStringLiteral("StreamTitle='(Icecast Artist - Track [0-9]+)';"));
  std::set<QString> titles;
  client.readUntil(
      [&](const QByteArray& data) {
        titles.clear();
        for (const auto& match : title.globalMatch(QString::fromLatin1(data))) {
          titles.insert(match.captured(1));
        }
        return titles.size() >= 2;
      },
      10000);
  EXPECT_GE(titles.size(), 2u);
  // Two titles 2 s apart: at 128 kbit/s, at least 2 s of audio has come in between.
  EXPECT_GT(client.body().size(), 32000);

  const quint16 port = icecast.port();
  icecast.stop();
  EXPECT_TRUE(client.readToClose());
  EXPECT_FALSE(RawClient(port).connected());
}

}  // namespace
