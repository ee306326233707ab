// The local stream server is what the engine's tests trust to behave like a radio station (or
// like a broken one): these tests read its answers byte by byte over a plain TCP socket.

#include "stream_server.h"
#include "raw_client.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

QByteArray fixture(const char* name) {
  QFile file(QStringLiteral(QV_FIXTURES_DIR "/") + QString::fromUtf8(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An ICY body split into its audio and its metadata blocks (only whole blocks).
struct IcyBody {
  QByteArray audio;
  std::vector<QByteArray> blocks;  // text as sent, padding included; empty for a zero length byte
};

IcyBody splitIcy(const QByteArray& body, qsizetype metaint) {
  IcyBody result;
  qsizetype pos = 0;
  while (pos + metaint < body.size()) {
    const qsizetype blockSize = 16 * static_cast<unsigned char>(body[pos + metaint]);
    if (pos + metaint + 1 + blockSize > body.size()) {
      break;
    }
    result.audio += body.mid(pos, metaint);
    result.blocks.push_back(body.mid(pos + metaint + 1, blockSize));
    pos += metaint + 1 + blockSize;
  }
  return result;
}

std::uint32_t readLe32(const QByteArray& data, qsizetype at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(data[at + i]);
  }
  return value;
}

std::uint32_t oggCrc(QByteArray page) {
  page.replace(22, 4, QByteArray(4, '\0'));
  std::uint32_t crc = 0;
  for (const char byte : page) {
    crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(byte)) << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
  }
  return crc;
}

struct OggPage {
  std::uint32_t serial;
  bool beginsStream;
  bool checksumRight;
};

std::vector<OggPage> oggPages(const QByteArray& data) {
  std::vector<OggPage> pages;
  qsizetype pos = 0;
  while (pos + 27 <= data.size() && data.mid(pos, 4) == "OggS") {
    const int segments = static_cast<unsigned char>(data[pos + 26]);
    qsizetype length = 27 + segments;
    for (int i = 0; i < segments && pos + 27 + i < data.size(); ++i) {
      length += static_cast<unsigned char>(data[pos + 27 + i]);
    }
    if (pos + length > data.size()) {
      break;
    }
    const QByteArray page = data.mid(pos, length);
    pages.push_back({readLe32(page, 14), (page[5] & 2) != 0, readLe32(page, 22) == oggCrc(page)});
    pos += length;
  }
  return pages;
}

class StreamServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<StreamServer>(); }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override { ASSERT_TRUE(server_->ok()) << server_->error(); }

  static QByteArray url(const char* path) { return QByteArray::fromStdString(server_->url(path)); }
  static std::unique_ptr<RawClient> request(const QByteArray& target, const QByteArray& extraHeaders = {}) {
    auto client = std::make_unique<RawClient>(server_->port());
    client->get(target, extraHeaders);
    return client;
  }

  static std::unique_ptr<StreamServer> server_;
};

std::unique_ptr<StreamServer> StreamServerTest::server_;

TEST_F(StreamServerTest, IcyStationInterleavesCyclingTitlesAtMetaint) {
  const QByteArray mp3 = fixture("sine1k.mp3");
  ASSERT_FALSE(mp3.isEmpty());
  auto client = request("/icy/sine1k.mp3?metaint=1000&titles=One|Two&every=1", "Icy-MetaData: 1\r\n");
  ASSERT_TRUE(client->readHead());
  EXPECT_EQ(client->statusLine(), "ICY 200 OK");
  EXPECT_EQ(client->header("Content-Type"), "audio/mpeg");
  EXPECT_EQ(client->header("icy-name"), "Test Radio");
  EXPECT_EQ(client->header("icy-genre"), "Test");
  EXPECT_EQ(client->header("icy-br"), "128");
  EXPECT_EQ(client->header("icy-url"), "http://127.0.0.1/");
  EXPECT_FALSE(client->header("icy-description").isNull());
  EXPECT_EQ(client->header("icy-pub"), "0");
  EXPECT_EQ(client->header("icy-metaint"), "1000");

  // Read until the second title has come (after 1 s), then some more.
  const auto sawSecondTitle = [](const QByteArray& data) {
    return data.contains("StreamTitle='Two'") && data.size() > data.indexOf("StreamTitle='Two'") + 2000;
  };
  ASSERT_TRUE(client->readUntil(sawSecondTitle, 5000));
  const IcyBody icy = splitIcy(client->body(), 1000);
  ASSERT_GE(icy.blocks.size(), 3u);
  const QByteArray firstBlock = "StreamTitle='One';StreamUrl='';";
  EXPECT_EQ(icy.blocks.front(), firstBlock + QByteArray(32 - firstBlock.size(), '\0'));
  EXPECT_EQ(icy.audio, mp3.left(icy.audio.size()));

  // The title goes only with a change: in between, the blocks are empty.
  std::vector<QByteArray> titles;
  for (const QByteArray& block : icy.blocks) {
    if (!block.isEmpty()) {
      EXPECT_EQ(block.size() % 16, 0);
      titles.push_back(block.left(block.indexOf(';')));
    }
  }
  ASSERT_GE(titles.size(), 2u);
  EXPECT_EQ(titles[1], "StreamTitle='Two'");
  EXPECT_GT(icy.blocks.size(), titles.size());
}

TEST_F(StreamServerTest, IcyStatusLineTypeAndMetaintFollowTheRequest) {
  struct Case {
    const char* target;
    QByteArray extraHeaders;
    QByteArray statusLine;
    QByteArray contentType;
    QByteArray metaint;  // null: no icy-metaint header
    const char* file;
  };
  const Case cases[] = {
      {"/icy/sine1k.mp3", {}, "ICY 200 OK", "audio/mpeg", {}, "sine1k.mp3"},
      {"/icy/sine1k.mp3?status=http", "Icy-MetaData: 1\r\n", "HTTP/1.0 200 OK", "audio/mpeg", "16000", nullptr},
      {"/icy/sine1k.aac?metaint=4000", "icy-metadata: 1\r\n", "ICY 200 OK", "audio/aac", "4000", nullptr},
      {"/icy/sine1k.opus", {}, "ICY 200 OK", "audio/ogg", {}, "sine1k.opus"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    auto client = request(c.target, c.extraHeaders);
    ASSERT_TRUE(client->readHead());
    EXPECT_EQ(client->statusLine(), c.statusLine);
    EXPECT_EQ(client->header("Content-Type"), c.contentType);
    EXPECT_EQ(client->header("icy-metaint"), c.metaint);
    EXPECT_EQ(client->header("icy-metaint").isNull(), c.metaint.isNull());
    if (c.file != nullptr) {  // without metadata the body is the file itself
      ASSERT_TRUE(client->readBody(20000));
      const QByteArray file = fixture(c.file);
      EXPECT_EQ(client->body().left(20000), file.left(20000));
    }
  }
}

TEST_F(StreamServerTest, FilesComeWithTheirTypeAndLengthThenTheConnectionCloses) {
  const std::pair<const char*, QByteArray> cases[] = {
      {"sine1k.mp3", "audio/mpeg"}, {"sine1k.aac", "audio/aac"},   {"sine1k.ogg", "audio/ogg"},
      {"sine1k.opus", "audio/ogg"}, {"sine1k.flac", "audio/flac"}, {"not_audio.bin", "application/octet-stream"},
  };
  for (const auto& [name, type] : cases) {
    SCOPED_TRACE(name);
    const QByteArray file = fixture(name);
    ASSERT_FALSE(file.isEmpty());
    auto client = request("/file/" + QByteArray(name));
    EXPECT_TRUE(client->readToClose());
    EXPECT_EQ(client->statusLine(), "HTTP/1.0 200 OK");
    EXPECT_EQ(client->header("Content-Type"), type);
    EXPECT_EQ(client->header("Content-Length"), QByteArray::number(file.size()));
    EXPECT_EQ(client->body(), file);
  }
  for (const char* missing : {"/file/missing.mp3", "/file/..%2Fsine1k.mp3", "/icy/missing.mp3", "/no/such/mode"}) {
    SCOPED_TRACE(missing);
    auto client = request(missing);
    EXPECT_TRUE(client->readToClose());
    EXPECT_EQ(client->statusLine(), "HTTP/1.0 404 Not Found");
  }
}

TEST_F(StreamServerTest, LoopedFilesRepeatWithoutLength) {
  const QByteArray mp3 = fixture("sine1k.mp3");
  auto client = request("/file/sine1k.mp3?loop=1");
  ASSERT_TRUE(client->readBody(2 * mp3.size() + 100, 10000));
  EXPECT_TRUE(client->header("Content-Length").isNull());
  EXPECT_EQ(client->body().mid(mp3.size(), mp3.size()), mp3);
}

// Two neighbours in an Ogg chain may not share a serial number, so a looped Ogg file must come
// back with new serials and checksums that still match.
TEST_F(StreamServerTest, LoopedOggStartsANewLogicalStreamEachTime) {
  const QByteArray ogg = fixture("sine1k.ogg");
  auto client = request("/icy/sine1k.ogg?rate=100000000");
  ASSERT_TRUE(client->readBody(3 * ogg.size(), 10000));
  const QByteArray body = client->body().left(3 * ogg.size());
  EXPECT_EQ(body.left(ogg.size()), ogg);
  const std::vector<OggPage> pages = oggPages(body);
  std::vector<std::uint32_t> startSerials;
  for (const OggPage& page : pages) {
    EXPECT_TRUE(page.checksumRight);
    if (page.beginsStream) {
      startSerials.push_back(page.serial);
    }
  }
  ASSERT_EQ(startSerials.size(), 3u);
  EXPECT_NE(startSerials[0], startSerials[1]);
  EXPECT_NE(startSerials[1], startSerials[2]);
}

TEST_F(StreamServerTest, StallStopsSendingForThePauseThenResumes) {
  auto client = request("/stall/sine1k.mp3?after=4000&pause=2");
  ASSERT_TRUE(client->readBody(4000));
  QElapsedTimer pause;
  pause.start();
  ASSERT_TRUE(client->readBody(4001, 6000));
  EXPECT_GE(pause.elapsed(), 1500);
  EXPECT_EQ(client->body().left(4000), fixture("sine1k.mp3").left(4000));
  EXPECT_TRUE(client->readBody(12000, 5000)) << "the stream did not resume";
}

TEST_F(StreamServerTest, CloseEndsTheConnectionAfterTheGivenAudio) {
  for (const int after : {0, 5000}) {
    SCOPED_TRACE(after);
    auto client = request("/close/sine1k.mp3?after=" + QByteArray::number(after));
    EXPECT_TRUE(client->readToClose());
    EXPECT_EQ(client->statusLine(), "ICY 200 OK");
    EXPECT_EQ(client->body(), fixture("sine1k.mp3").left(after));
  }
}

TEST_F(StreamServerTest, StatusAnswersThatStatus) {
  const std::pair<const char*, QByteArray> cases[] = {
      {"/status/404", "HTTP/1.0 404 Not Found"},
      {"/status/403", "HTTP/1.0 403 Forbidden"},
      {"/status/503", "HTTP/1.0 503 Service Unavailable"},
  };
  for (const auto& [target, statusLine] : cases) {
    auto client = request(target);
    EXPECT_TRUE(client->readToClose());
    EXPECT_EQ(client->statusLine(), statusLine);
    EXPECT_FALSE(client->body().isEmpty());
  }
}

TEST_F(StreamServerTest, RedirectsLeadToTheFileOrRoundInALoop) {
  QByteArray target = "/redirect/2/sine1k.mp3?loop=1";
  std::vector<QByteArray> locations;
  for (int hop = 0; hop < 5; ++hop) {
    auto client = request(target);
    ASSERT_TRUE(client->readHead());
    if (client->statusLine() != "HTTP/1.0 302 Found") {
      EXPECT_EQ(client->statusLine(), "HTTP/1.0 200 OK");
      EXPECT_TRUE(client->header("Content-Length").isNull()) << "the query string was lost on the way";
      break;
    }
    locations.push_back(client->header("Location"));
    target = locations.back().mid(url("").size());
  }
  EXPECT_EQ(locations, (std::vector<QByteArray>{url("/redirect/1/sine1k.mp3?loop=1"), url("/file/sine1k.mp3?loop=1")}));

  auto loop = request("/redirect-loop");
  EXPECT_TRUE(loop->readToClose());
  EXPECT_EQ(loop->statusLine(), "HTTP/1.0 302 Found");
  EXPECT_EQ(loop->header("Location"), url("/redirect-loop"));
}

TEST_F(StreamServerTest, MalformedHeadsAreWhatTheyClaim) {
  auto garbage = request("/garbage-status");
  EXPECT_TRUE(garbage->readToClose());
  EXPECT_FALSE(garbage->statusLine().startsWith("HTTP/"));
  EXPECT_FALSE(garbage->statusLine().startsWith("ICY "));

  auto endless = request("/endless-headers");
  ASSERT_TRUE(endless->readUntil([](const QByteArray& data) { return data.size() > (1 << 20); }, 10000));
  EXPECT_FALSE(endless->received().contains("\r\n\r\n"));
  EXPECT_FALSE(endless->closed());

  auto huge = request("/huge-header");
  EXPECT_TRUE(huge->readToClose(10000));
  qsizetype longestLine = 0;
  for (const QByteArray& line : huge->head().split('\n')) {
    longestLine = std::max(longestLine, line.size());
  }
  EXPECT_GE(longestLine, 1 << 20);

  auto drip = request("/drip");
  drip->readUntil([](const QByteArray&) { return false; }, 2500);
  EXPECT_TRUE(drip->statusLine().startsWith("HTTP/1.0 200"));
  EXPECT_LE(drip->received().size(), 40);
  EXPECT_FALSE(drip->received().contains("\r\n\r\n"));
  EXPECT_FALSE(drip->closed());

  auto silent = request("/silent");
  silent->readUntil([](const QByteArray&) { return false; }, 1500);
  EXPECT_TRUE(silent->received().isEmpty());
  EXPECT_FALSE(silent->closed());
}

TEST_F(StreamServerTest, MetaintHeaderCarriesTheRawValue) {
  const QByteArray mp3 = fixture("sine1k.mp3");
  for (const char* value : {"abc", "-5", "0", "99999999999"}) {
    SCOPED_TRACE(value);
    auto client = request("/metaint/" + QByteArray(value) + "/sine1k.mp3", "Icy-MetaData: 1\r\n");
    ASSERT_TRUE(client->readBody(20000));
    EXPECT_EQ(client->header("icy-metaint"), value);
    EXPECT_EQ(client->body().left(20000), mp3.left(20000)) << "no metadata blocks for a value that means none";
  }
  auto usable = request("/metaint/500/sine1k.mp3", "Icy-MetaData: 1\r\n");
  ASSERT_TRUE(usable->readBody(2000));
  const IcyBody icy = splitIcy(usable->body(), 500);
  ASSERT_GE(icy.blocks.size(), 2u);
  EXPECT_TRUE(icy.blocks.front().startsWith("StreamTitle='"));
  EXPECT_EQ(icy.audio, mp3.left(icy.audio.size()));
}

TEST_F(StreamServerTest, MetadataLengthPromisesMoreThanIsSent) {
  auto client = request("/meta-past-data/sine1k.mp3?metaint=2000", "Icy-MetaData: 1\r\n");
  EXPECT_TRUE(client->readToClose());
  EXPECT_EQ(client->header("icy-metaint"), "2000");
  const QByteArray body = client->body();
  ASSERT_GT(body.size(), 2000);
  EXPECT_EQ(body.left(2000), fixture("sine1k.mp3").left(2000));
  EXPECT_GT(16 * static_cast<unsigned char>(body[2000]), body.size() - 2001);
}

TEST_F(StreamServerTest, PlaylistsPointAtThemselvesOrAtAStation) {
  struct Case {
    const char* target;
    QByteArray contentType;
    QByteArray entry;
  };
  const Case cases[] = {
      {"/playlist/self.pls", "audio/x-scpls", "File1=" + url("/playlist/self.pls") + "\r\n"},
      {"/playlist/self.m3u", "audio/x-mpegurl", "\r\n" + url("/playlist/self.m3u") + "\r\n"},
      {"/playlist/to/sine1k.mp3.pls", "audio/x-scpls", "File1=" + url("/icy/sine1k.mp3") + "\r\n"},
      {"/playlist/to/sine1k.mp3.m3u", "audio/x-mpegurl", "\r\n" + url("/icy/sine1k.mp3") + "\r\n"},
      {"/playlist/to/sine1k.mp3.xspf", "application/xspf+xml", "<location>" + url("/icy/sine1k.mp3") + "</location>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    auto client = request(c.target);
    EXPECT_TRUE(client->readToClose());
    EXPECT_EQ(client->statusLine(), "HTTP/1.0 200 OK");
    EXPECT_EQ(client->header("Content-Type"), c.contentType);
    EXPECT_TRUE(client->body().contains(c.entry)) << client->body().toStdString();
  }
}

// A test that dies closes the server's stdin; the helper's destructor sends SIGTERM. Either ends it.
TEST(StreamServerLifetime, EndsWhenItsStdinClosesOrOnTerminate) {
  for (const bool byStdin : {true, false}) {
    SCOPED_TRACE(byStdin ? "stdin closed" : "terminated");
    StreamServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    RawClient client(server.port());
    client.get("/icy/sine1k.mp3");
    ASSERT_TRUE(client.readHead());
    if (byStdin) {
      server.process().closeStdin();
    } else {
      server.process().terminate();
    }
    EXPECT_TRUE(server.process().waitForFinished(5000));
    EXPECT_TRUE(server.process().exitedNormally());
  }
}

}  // namespace
