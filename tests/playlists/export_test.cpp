#include "files.h"
#include "playlist_export.h"
#include "playlist_readers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qv::stations::StationEntry;

const std::vector<StationEntry> kStations = {
    {QStringLiteral("Jazz = Blues; [live]"), QStringLiteral("http://a/jazz"), QStringLiteral("jazz"),
     QStringLiteral("http://a/j.png")},
    {QStringLiteral("Caf\u00e9 \u2014 \U0001F3B5"), QStringLiteral("https://b/x?y=1"), QString(), QString()},
};

class ExportTest : public ::testing::Test {
 protected:
  QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
  QTemporaryDir m_dir;
};

TEST_F(ExportTest, WritesTheKeysOfEachFormat) {
  struct Case {
    const char* file;
    bool filtered;
    QByteArray expected;
  };
  const QByteArray ini =
      "[playlist]\r\nFile1=http://a/jazz\r\nTitle1=Jazz = Blues; [live]\r\nTag1=jazz\r\nPreview1=http://a/j.png\r\n"
      "File2=https://b/x?y=1\r\nTitle2=Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\xB5\r\nTag2=\r\nPreview2=\r\n\r\n";
  const Case cases[] = {
      {"list.ini", false, "\xEF\xBB\xBF" + ini},
      {"list.PLS", false,
       "[playlist]\r\nnumberofentries=2\r\nFile1=http://a/jazz\r\nTitle1=Jazz = Blues; [live]\r\nLength1=-1\r\n"
       "File2=https://b/x?y=1\r\nTitle2=Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\xB5\r\nLength2=-1\r\n\r\n"},
      {"list.m3u", false,
       "[playlist]\r\nFile1=http://a/jazz\r\nTitle1=Jazz = Blues; [live]\r\nLength1=-1\r\n"
       "File2=https://b/x?y=1\r\nTitle2=Caf\xC3\xA9 \xE2\x80\x94 \xF0\x9F\x8E\xB5\r\nLength2=-1\r\n\r\n"},
      {"filtered.pls", true, "[playlist]\r\nnumberofentries=2\r\n" + ini.sliced(12)},
      {"filtered.ini", true, "\xEF\xBB\xBF" + ini},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(qv::playlists::exportPlaylist(path(c.file), kStations, c.filtered).isEmpty());
    EXPECT_EQ(readFile(path(c.file)), c.expected);
  }
  ASSERT_TRUE(qv::playlists::exportPlaylist(path("empty.pls"), {}, false).isEmpty());
  EXPECT_EQ(readFile(path("empty.pls")), QByteArray("[playlist]\r\nnumberofentries=0\r\n\r\n"));
}

TEST_F(ExportTest, ImportReadsBackWhatItWrote) {
  std::vector<StationEntry> withBreak = kStations;
  withBreak.push_back({QStringLiteral("two\nlines\r\nFile9=http://evil"), QStringLiteral("http://c"),
                       QStringLiteral("t"), QStringLiteral("http://c/l.png")});
  for (const char* name : {"round.ini", "round.pls"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(qv::playlists::exportPlaylist(path(name), withBreak, true).isEmpty());
    const qv::playlists::ReadResult read = qv::playlists::readPlaylistFile(path(name));
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.stations.size(), 3u);
    EXPECT_EQ(read.stations[0], kStations[0]);
    EXPECT_EQ(read.stations[1], kStations[1]);
    // A line break cannot make a key of its own.
    EXPECT_EQ(read.stations[2].Name, QStringLiteral("two lines  File9=http://evil"));
    EXPECT_EQ(read.stations[2].Link, QStringLiteral("http://c"));
  }
}

TEST_F(ExportTest, KeepsOtherSectionsAndNeverOverwritesAnUnreadableFile) {
  ASSERT_TRUE(
      writeFile(path("old.ini"), "[mine]\nkey=value\n[playlist]\nFile1=http://1\nFile2=http://2\nFile3=http://3\n"));
  ASSERT_TRUE(qv::playlists::exportPlaylist(path("old.ini"), {kStations[0]}, false).isEmpty());
  const QByteArray written = readFile(path("old.ini"));
  EXPECT_TRUE(written.contains("[mine]\r\nkey=value\r\n"));
  EXPECT_FALSE(written.contains("File2"));

  const QByteArray damaged("\xFF\xFE\x00", 3);  // UTF-16 mark, odd length
  ASSERT_TRUE(writeFile(path("damaged.pls"), damaged));
  EXPECT_FALSE(qv::playlists::exportPlaylist(path("damaged.pls"), kStations, false).isEmpty());
  EXPECT_EQ(readFile(path("damaged.pls")), damaged);
}

}  // namespace
