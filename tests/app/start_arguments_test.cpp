// The player's command line and the hand-over message: what is taken, what is refused and why.
#include "start_arguments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using qv::app::RequestKind;
using qv::app::StartRequest;

class StartArgumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_folder.isValid());
    for (const char* name : {"list.m3u", "list.PLS", "stations.xspf", "archive.zip", "noextension", "song.mp3"}) {
      QFile file(m_folder.filePath(QLatin1String(name)));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("folder.m3u")));
  }
  QString path(const char* name) const { return m_folder.filePath(QLatin1String(name)); }
  QString folder() const { return m_folder.path(); }

 private:
  QTemporaryDir m_folder;
};

TEST_F(StartArgumentsTest, PlaylistFilesLinksAndActionsAreTakenInOrder) {
  const qv::app::StartArguments parsed = qv::app::parseStartArguments(
      {QStringLiteral("list.m3u"), path("list.PLS"), QStringLiteral("file://") + path("stations.xspf"),
       QStringLiteral("archive.zip"), QStringLiteral("noextension"), QStringLiteral("http://127.0.0.1:8000/live"),
       QStringLiteral("HTTPS://radio.example/a b"), QStringLiteral("--play-stop"), QStringLiteral("--next")},
      folder());
  ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
  const std::vector<StartRequest> expected{
      {RequestKind::PlaylistFile, path("list.m3u")},
      {RequestKind::PlaylistFile, path("list.PLS")},
      {RequestKind::PlaylistFile, path("stations.xspf")},
      {RequestKind::PlaylistFile, path("archive.zip")},
      {RequestKind::PlaylistFile, path("noextension")},
      {RequestKind::StreamLink, QStringLiteral("http://127.0.0.1:8000/live")},
      {RequestKind::StreamLink, QStringLiteral("https://radio.example/a%20b")},
      {RequestKind::PlayStop, {}},
      {RequestKind::Next, {}},
  };
  EXPECT_EQ(parsed.requests, expected);
  EXPECT_FALSE(parsed.showHelp);
  EXPECT_FALSE(parsed.showVersion);
}

TEST_F(StartArgumentsTest, AnythingElseRefusesTheWholeCommandLineAndSaysWhy) {
  const struct {
    const char* argument;
    const char* reason;
  } cases[] = {
      {"missing.m3u", "no such file: missing.m3u"},
      {"song.mp3", "not a playlist file"},
      {"folder.m3u", "not a readable file: folder.m3u"},
      {"ftp://127.0.0.1/list.m3u", "not a playlist file or an http/https link: ftp://127.0.0.1/list.m3u"},
      {"javascript:alert(1)", "not a playlist file or an http/https link"},
      {"http:///nohost", "a link without a server"},
      {"file://otherhost/list.m3u", "not a local file"},
      {"--bogus", "unknown option: --bogus"},
      {"", "an empty argument"},
  };
  for (const auto& c : cases) {
    const qv::app::StartArguments parsed =
        qv::app::parseStartArguments({QStringLiteral("list.m3u"), QString::fromUtf8(c.argument)}, folder());
    EXPECT_TRUE(parsed.error.contains(QLatin1String(c.reason))) << c.argument << ": " << parsed.error.toStdString();
    EXPECT_TRUE(parsed.requests.empty()) << c.argument;
  }
}

TEST_F(StartArgumentsTest, HelpAndVersionAreOnlyFlagged) {
  const qv::app::StartArguments parsed =
      qv::app::parseStartArguments({QStringLiteral("--version"), QStringLiteral("--help")}, folder());
  EXPECT_TRUE(parsed.showHelp);
  EXPECT_TRUE(parsed.showVersion);
  EXPECT_TRUE(parsed.error.isEmpty());
  EXPECT_TRUE(qv::app::helpText().startsWith(QLatin1String("Usage: quorventale [FILE|URL]...")));
}

TEST_F(StartArgumentsTest, AMessageComesBackAsItWasSentAndEachRequestIsCheckedAgain) {
  const std::vector<StartRequest> sent{
      {RequestKind::PlaylistFile, path("list.m3u")},
      {RequestKind::StreamLink, QStringLiteral("http://127.0.0.1:8000/a%0Ab?x=1&y=%20")},
      {RequestKind::Next, {}},
      {RequestKind::PlayStop, {}},
  };
  const QByteArray message = qv::app::encodeRequests(sent);
  EXPECT_EQ(qv::app::decodeRequests(message), sent);
  EXPECT_EQ(qv::app::decodeRequests(qv::app::encodeRequests({})), std::vector<StartRequest>{});

  // What another process could write: requests that do not pass the command line's checks are
  // dropped, the rest stay.
  const QByteArray hostile =
      "quorventale-requests 1\n"
      "file relative.m3u\n"
      "file " +
      QUrl::toPercentEncoding(path("song.mp3")) +
      "\n"
      "file " +
      QUrl::toPercentEncoding(path("list.m3u")) +
      "\n"
      "link ftp%3A%2F%2Fx\n"
      "link " +
      QUrl::toPercentEncoding(path("list.m3u")) +
      "\n"
      "file http%3A%2F%2F127.0.0.1%2F\n"
      "next please\n"
      "quit\n"
      "\n"
      "end\n";
  EXPECT_EQ(qv::app::decodeRequests(hostile),
            (std::vector<StartRequest>{{RequestKind::PlaylistFile, path("list.m3u")}}));

  for (const QByteArray& broken :
       {QByteArray(), QByteArray("end\n"), QByteArray("quorventale-requests 2\nend\n"),
        QByteArray("quorventale-requests 1\nnext\n"), message.chopped(1),
        QByteArray("quorventale-requests 1\n") + QByteArray(qv::app::kMaxRequestMessageBytes, 'x') + "\nend\n"}) {
    EXPECT_FALSE(qv::app::decodeRequests(broken).has_value()) << broken.left(60).toStdString();
  }
}

}  // namespace
