#include "files.h"
#include "logo_cache.h"
#include "recording_proxy.h"
#include "stream_server.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using qv::playlists::StationLogoFile;

TEST(StationLogoFile, NamesTheCacheFile) {
  const QString dash = QString(QChar(0x2014));
  struct Case {
    const char* name;
    const char* preview;
    QString expected;
  };
  const Case cases[] = {
      {"Jazz: 24/7", "http://h/img/jazz.png", QStringLiteral("Jazz 247") + dash + QStringLiteral("jazz.png")},
      {"a/b:x", "https://h/logo.png", QStringLiteral("abx") + dash + QStringLiteral("logo.png")},
      {"Ends", "http://h/dir/", QStringLiteral("Ends") + dash},
      {"Q", "http://h/l.png?size=2/3&x=<y>#frag", QStringLiteral("Q") + dash + QStringLiteral("l.png")},
      {"Odd|*?\"<>\\", "no-slash:name\x01.jpg", QStringLiteral("Odd") + dash + QStringLiteral("no-slashname.jpg")},
      {"Dots . and CASE", "http://h/A.B.PNG", QStringLiteral("Dots . and CASE") + dash + QStringLiteral("A.B.PNG")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StationLogoFile(QStringLiteral("/covers"), QString::fromUtf8(c.name), QString::fromUtf8(c.preview)),
              QStringLiteral("/covers/") + c.expected)
        << c.name;
  }
  EXPECT_TRUE(StationLogoFile(QStringLiteral("/covers"), QStringLiteral("x"), QString()).isEmpty());
}

TEST(StationLogoFile, LongNamesAreCutToFitAndKeepTheExtension) {
  const QString longName = QString(300, QChar(0x00E9)) + QStringLiteral("\U0001F3B5");
  const QString file = StationLogoFile(QStringLiteral("/covers"), longName,
                                       QStringLiteral("http://h/") + QString(300, u'x') + QStringLiteral(".png"));
  const QString fileName = file.sliced(8);
  EXPECT_LE(fileName.toUtf8().size(), qv::playlists::kMaxFileNameBytes);
  EXPECT_TRUE(fileName.endsWith(QLatin1String(".png")));
  EXPECT_TRUE(QStringView(fileName).toUtf8() == fileName.toUtf8());  // no half of a pair left

  const QString named = StationLogoFile(QStringLiteral("/covers"), longName, QStringLiteral("http://h/l.png"));
  EXPECT_TRUE(named.endsWith(QString(QChar(0x2014)) + QStringLiteral("l.png")));
  EXPECT_TRUE(named.sliced(8).startsWith(QString(100, QChar(0x00E9))));
  // The same rule everywhere: the same station always names the same file.
  EXPECT_EQ(named, StationLogoFile(QStringLiteral("/covers"), longName, QStringLiteral("http://h/l.png")));
}

TEST(LogoCache, StoresWhatArrivesAndOnlyRealImagesLoad) {
  QTemporaryDir root;
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(root.filePath(QStringLiteral("logo.png")), "PNG"));
  StreamServer server(root.path());
  ASSERT_TRUE(server.ok()) << server.error();

  const QString covers = root.filePath(QStringLiteral("data/Covers"));
  qv::playlists::LogoFetcher fetcher;
  QStringList errors;
  // A PNG served as a file whose name says JPEG still loads: the content decides.
  const QString good = covers + QStringLiteral("/Station\u2014logo.jpg");
  const QString errorPage = covers + QStringLiteral("/Station\u2014missing.png");
  const QString refused = covers + QStringLiteral("/Station\u2014file.png");
  fetcher.fetch(QString::fromStdString(server.url("/file/logo.png")), good,
                [&](const QString& e) { errors.append(e); });
  fetcher.fetch(QString::fromStdString(server.url("/status/404")), errorPage,
                [&](const QString& e) { errors.append(e); });
  fetcher.fetch(QStringLiteral("file:///etc/passwd"), refused, [&](const QString& e) { errors.append(e); });
  fetcher.waitForDone();
  ASSERT_EQ(errors.size(), 3);
  EXPECT_EQ(errors.count(QString()), 2);

  EXPECT_EQ(qv::playlists::loadLogo(good).size(), QSize(4, 3));
  EXPECT_TRUE(QFile::exists(errorPage));
  EXPECT_TRUE(qv::playlists::loadLogo(errorPage).isNull());
  EXPECT_FALSE(QFile::exists(refused));
}

// The proxy setting carries the download: with it the proxy is asked for the logo (the address it
// names is never reached directly: nothing listens there); without it the proxy hears nothing.
TEST(LogoCache, DownloadsGoThroughTheProxySetting) {
  RecordingProxy proxy;
  ASSERT_TRUE(proxy.ok());
  proxy.answerBody = "logo through the proxy";
  QTemporaryDir root;
  const QString url = QStringLiteral("http://127.0.0.1:1/logo.png");
  qv::playlists::LogoFetcher fetcher;
  QStringList errors;
  // The proxy serves on this thread: the test's event loop runs while the downloads do.
  const auto fetchOne = [&](const QString& proxySetting, const QString& file) {
    fetcher.setProxy(proxySetting);
    const qsizetype before = errors.size();
    fetcher.fetch(url, file, [&](const QString& e) { errors.append(e); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return errors.size() > before; }, 20000));
  };

  const QString viaProxy = root.filePath(QStringLiteral("via-proxy.png"));
  fetchOne(proxy.address(), viaProxy);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], QString());
  EXPECT_EQ(proxy.requestLines, QList<QByteArray>{"GET http://127.0.0.1:1/logo.png HTTP/1.1"});
  QFile stored(viaProxy);
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_EQ(stored.readAll(), proxy.answerBody);

  const QString direct = root.filePath(QStringLiteral("direct.png"));
  fetchOne(QString(), direct);
  ASSERT_EQ(errors.size(), 2);
  EXPECT_NE(errors[1], QString()) << "nothing listens at the logo's own address";
  EXPECT_EQ(proxy.requestLines.size(), 1) << "without the setting the proxy is not asked";
  EXPECT_FALSE(QFile::exists(direct));
}

}  // namespace
