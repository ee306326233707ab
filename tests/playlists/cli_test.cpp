#include "cli_run.h"
#include "files.h"
#include "zip_fixture.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CliRun cli(const QStringList& arguments) {
  return runCli(QStringLiteral(QV_CLI), arguments);
}

TEST(Cli, ImportPrintsOneStationALineWithTabs) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("list.ini"));
  ASSERT_TRUE(writeFile(ini,
                        "[playlist]\nName1=Tab\there\nLink1=http://a\nTag1=jazz\nPreview1=http://a/l.png\n"
                        "Name2=\nLink2=https://b\nName3=Local\nLink3=file:///etc/passwd\n"));
  const CliRun run = cli({QStringLiteral("import"), ini});
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QByteArray("Tab here\thttp://a\tjazz\thttp://a/l.png\nhttps://b\thttps://b\t\t\n"));
  EXPECT_TRUE(run.err.contains("1 link of"));

  const QString archive = dir.filePath(QStringLiteral("lists.zip"));
  ASSERT_TRUE(writeZip(archive, {{"a.m3u", "http://z1\n"},
                                 {"b.xspf",
                                  "<p><trackList><track><title>Z2</title>"
                                  "<location>http://z2</location></track></trackList></p>"}}));
  EXPECT_EQ(cli({QStringLiteral("import"), archive}).out, QByteArray("http://z1\thttp://z1\t\t\nZ2\thttp://z2\t\t\n"));
}

TEST(Cli, SaysWhatItReadsAndWhatItLeavesOut) {
  const CliRun help = cli({QStringLiteral("--help")});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"m3u,", "m3u8", "txt", "lnk", "pls", "ini", "xspf", "xml", "zip", "--rate", "--reconnect"}) {
    EXPECT_TRUE(help.out.contains(word)) << word;
  }

  QTemporaryDir dir;
  // A bare file:// line is left out with the message, as any other link that is not http(s).
  const QString m3u = dir.filePath(QStringLiteral("local.m3u"));
  ASSERT_TRUE(writeFile(m3u, "#EXTM3U\nfile:///home/music/a.mp3\nhttp://kept\n"));
  const CliRun local = cli({QStringLiteral("import"), m3u});
  EXPECT_EQ(local.status, 0);
  EXPECT_EQ(local.out, QByteArray("http://kept\thttp://kept\t\t\n"));
  EXPECT_TRUE(local.err.contains("1 link of")) << local.err.toStdString();

  // The hostile XSPF of a title nesting 200,000 elements ends at once with the bound named.
  const QString deep = dir.filePath(QStringLiteral("deep.xspf"));
  ASSERT_TRUE(writeFile(deep, "<playlist><trackList><track><title>" + QByteArray("<b>").repeated(200'000)));
  const CliRun hostile = cli({QStringLiteral("import"), deep});
  EXPECT_EQ(hostile.status, 1);
  EXPECT_TRUE(hostile.err.contains("deep.xspf") && hostile.err.contains("64 levels")) << hostile.err.toStdString();
  EXPECT_TRUE(hostile.out.isEmpty());
}

TEST(Cli, ConvertWritesTheFormatOfTheOutputsExtension) {
  QTemporaryDir dir;
  const QString m3u = dir.filePath(QStringLiteral("in.m3u"));
  ASSERT_TRUE(writeFile(m3u, "#EXTM3U\n#EXTINF:-1,Jazz\nhttp://j\n"));
  const QString pls = dir.filePath(QStringLiteral("out.pls"));
  ASSERT_EQ(cli({QStringLiteral("convert"), m3u, pls}).status, 0);
  EXPECT_EQ(readFile(pls),
            QByteArray("[playlist]\r\nnumberofentries=1\r\nFile1=http://j\r\nTitle1=Jazz\r\nLength1=-1\r\n\r\n"));
  const QString ini = dir.filePath(QStringLiteral("out.ini"));
  ASSERT_EQ(cli({QStringLiteral("convert"), pls, ini}).status, 0);
  EXPECT_EQ(readFile(ini),
            QByteArray("\xEF\xBB\xBF[playlist]\r\nFile1=http://j\r\nTitle1=Jazz\r\nTag1=\r\nPreview1=\r\n\r\n"));
}

TEST(Cli, FilesThatCannotBeReadEndWithAMessageAndStatus) {
  QTemporaryDir dir;
  const QString broken = dir.filePath(QStringLiteral("broken.xspf"));
  ASSERT_TRUE(writeFile(broken, "<p><trackList>"));
  const QString out = dir.filePath(QStringLiteral("out.ini"));
  struct Case {
    QStringList arguments;
    int status;
    const char* said;
  };
  const Case cases[] = {
      {{QStringLiteral("import"), dir.filePath(QStringLiteral("missing.m3u"))}, 1, "missing.m3u"},
      {{QStringLiteral("import"), broken}, 1, "broken.xspf"},
      {{QStringLiteral("import"), dir.filePath(QStringLiteral("song.mp3"))}, 1, "not a playlist"},
      {{QStringLiteral("convert"), broken, out}, 1, "broken.xspf"},
      {{QStringLiteral("convert"), broken, dir.filePath(QStringLiteral("out.m3u"))}, 2, ".ini or .pls"},
  };
  for (const Case& c : cases) {
    const CliRun run = cli(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.said;
    EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(out));
}

}  // namespace
