#include "files.h"
#include "playlist_readers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qv::playlists::ReaderKind;
using qv::playlists::ReadResult;
using qv::stations::StationEntry;

struct Case {
  const char* what;
  QByteArray bytes;
  std::vector<StationEntry> expected;
  int skipped = 0;
};

StationEntry entry(const char* name, const char* link, const char* tag = "", const char* preview = "") {
  return {QString::fromUtf8(name), QString::fromUtf8(link), QString::fromUtf8(tag), QString::fromUtf8(preview)};
}

void expectCases(const std::vector<Case>& cases, ReadResult (*reader)(const QByteArray&)) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadResult result = reader(c.bytes);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.stations, c.expected);
    EXPECT_EQ(result.skippedLinks, c.skipped);
  }
}

TEST(LineReader, ReadsExtinfNamesAndPlainLinks) {
  expectCases(
      {
          {"header, EXTINF, link",
           "#EXTM3U\r\n#EXTINF:-1,Jazz FM\r\nhttp://a/jazz\r\n",
           {entry("Jazz FM", "http://a/jazz")}},
          {"commas after the first stay in the name",
           "#EXTINF:-1,Rock, Pop & More\nhttp://r\n",
           {entry("Rock, Pop & More", "http://r")}},
          {"no comma: the whole line, trimmed", "  #EXTINF:-1 \nhttps://x\n", {entry("#EXTINF:-1", "https://x")}},
          {"plain links named by themselves, untrimmed",
           "http://one\nhttp://two \n\nhttps://three",
           {entry("http://one", "http://one"), entry("http://two ", "http://two "),
            entry("https://three", "https://three")}},
          {"the line after EXTINF is the link even when it is a comment, and is not read again",
           "#EXTINF:-1,A\n# http://comment\nhttp://b\n",
           {entry("http://b", "http://b")},
           1},
          {"UTF-16 LE with its mark",
           QByteArray("\xFF\xFE", 2) + QByteArray("h\0t\0t\0p\0:\0/\0/\0\xE9\0", 16),
           {entry("http://\xC3\xA9", "http://\xC3\xA9")}},
          {"UTF-8 mark and CR-only line ends",
           "\xEF\xBB\xBF#EXTINF:0,Caf\xC3\xA9\rhttp://c\r",
           {entry("Caf\xC3\xA9", "http://c")}},
          {"Windows-1252 without a mark", "#EXTINF:0,Caf\xE9\nhttp://c\n", {entry("Caf\xC3\xA9", "http://c")}},
          {"other schemes are counted, not imported",
           "file:///etc/passwd http\nsmb://x/http\nHTTPS://UP/http\n",
           {entry("HTTPS://UP/http", "HTTPS://UP/http")},
           2},
          {"a link to another playlist is a station",
           "http://h/list.m3u\n",
           {entry("http://h/list.m3u", "http://h/list.m3u")}},
      },
      &qv::playlists::readLines);
}

TEST(LineReader, ExtinfOnTheLastLineIsAnError) {
  const ReadResult result = qv::playlists::readLines("http://kept\n#EXTINF:-1,Lost");
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(result.stations.empty());
}

TEST(IniReader, ReadsBothSchemesUpToTheFirstMissingLink) {
  expectCases(
      {
          {"PLS: missing title takes the link, numberofentries ignored",
           "[playlist]\nnumberofentries=9\nFile1=http://a\nTitle1=A\nFile2=http://b\nLength2=-1\n",
           {entry("A", "http://a"), entry("http://b", "http://b")}},
          {"PLS gap: File3 after a missing File2 is not read",
           "[playlist]\nFile1=http://a\nFile3=http://c\n",
           {entry("http://a", "http://a")}},
          {"an empty link stops as a missing one does",
           "[Playlist]\nfile1=http://a\nfile2=\nfile3=http://c\n",
           {entry("http://a", "http://a")}},
          {"Name/Link with tags and logos",
           "[playlist]\nName1=N\nLink1=http://n\nTag1=jazz\nPreview1=http://p/l.png\n",
           {entry("N", "http://n", "jazz", "http://p/l.png")}},
          {"File1 wins over Name1",
           "[playlist]\nName1=X\nLink1=http://x\nFile1=http://f\nTitle1=F\n",
           {entry("F", "http://f")}},
          {"a non-web link is skipped, the next is read",
           "[playlist]\nFile1=file:///x\nFile2=http://b\n",
           {entry("http://b", "http://b")},
           1},
          {"no playlist section", "[other]\nFile1=http://a\n", {}},
      },
      &qv::playlists::readIni);
}

TEST(XmlReader, ReadsTracksOfTheTrackList) {
  expectCases(
      {
          {"two tracks, an empty one, any root name",
           "<?xml version=\"1.0\"?><anything><trackList>"
           "<track><title>One</title><location>http://1</location><image>x</image></track>"
           "<track/><other><location>http://no</location></other>"
           "<track><location>http://2</location></track></trackList></anything>",
           {entry("One", "http://1"), entry("", "http://2")}},
          {"no trackList", "<playlist><track><location>http://1</location></track></playlist>", {}},
          {"only the first title and location count",
           "<p><trackList><track><title>A</title><title>B</title><location>http://a</location>"
           "<location>http://b</location></track></trackList></p>",
           {entry("A", "http://a")}},
      },
      &qv::playlists::readXml);
  EXPECT_FALSE(qv::playlists::readXml("<p><trackList>").ok());

  // Entities that expand a billion-fold are refused, not expanded.
  QByteArray entities = "<!ENTITY a0 \"ha\">";
  for (int i = 1; i < 10; ++i) {
    entities += "<!ENTITY a" + QByteArray::number(i) + " \"" +
                QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
  }
  EXPECT_FALSE(qv::playlists::readXml("<!DOCTYPE p [" + entities +
                                      "]><p><trackList><track><title>&a9;</title>"
                                      "<location>http://x</location></track></trackList></p>")
                   .ok());
}

// Hostile shapes, each built to a fixed size: every reader stops at its bound with an error that
// names the bound, instead of working for minutes or holding the whole file as stations.
TEST(ReaderBounds, HostileFilesEndWithAnErrorNamingTheBound) {
  const auto numbered = [](const char* pattern, int count) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i) {
      bytes += QByteArray(pattern).replace("%1", QByteArray::number(i));
    }
    return bytes;
  };
  const QByteArray hugeLine = "http://a/" + QByteArray(1 << 20, 'a');
  const QByteArray lineBound = QByteArray::number(qv::playlists::kMaxImportLineChars) + " characters";
  const QByteArray entryBound = QByteArray::number(qv::playlists::kMaxImportEntries) + " entries";
  const QByteArray depthBound = QByteArray::number(qv::playlists::kMaxImportXmlDepth) + " levels";
  struct HostileCase {
    const char* what;
    ReadResult (*reader)(const QByteArray&);
    QByteArray bytes;
    QByteArray bound;
  };
  const HostileCase cases[] = {
      {"M3U: one line of 1 MiB", &qv::playlists::readLines, "#EXTM3U\n" + hugeLine + "\n", lineBound},
      {"M3U: an EXTINF whose link is 1 MiB", &qv::playlists::readLines, "#EXTINF:-1,A\n" + hugeLine, lineBound},
      {"M3U: a million tiny links", &qv::playlists::readLines, QByteArray("http://a\n").repeated(1'000'000),
       entryBound},
      {"PLS: one line of 1 MiB", &qv::playlists::readIni, "[playlist]\nFile1=" + hugeLine + "\n", lineBound},
      {"PLS: a million tiny entries", &qv::playlists::readIni,
       "[playlist]\n" + numbered("File%1=http://a\n", 1'000'000), entryBound},
      {"XSPF: a title nesting 200,000 elements", &qv::playlists::readXml,
       "<playlist><trackList><track><title>" + QByteArray("<b>").repeated(200'000) +
           QByteArray("</b>").repeated(200'000) + "</title></track></trackList></playlist>",
       depthBound},
      {"XSPF: a title of 1 MiB", &qv::playlists::readXml,
       "<p><trackList><track><title>" + hugeLine + "</title></track></trackList></p>", lineBound},
      {"XSPF: a million tiny tracks", &qv::playlists::readXml,
       "<p><trackList>" + QByteArray("<track>a</track>").repeated(1'000'000) + "</trackList></p>", entryBound},
  };
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ReadResult result = c.reader(c.bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains(QString::fromLatin1(c.bound))) << result.error.toStdString();
    EXPECT_TRUE(result.stations.empty());
  }

  // Right at the bounds a file is still read.
  EXPECT_TRUE(qv::playlists::readXml("<p><trackList><track><title>" + QByteArray("<b>").repeated(60) +
                                     QByteArray("</b>").repeated(60) + "</title></track></trackList></p>")
                  .ok());
  const ReadResult longest =
      qv::playlists::readLines("http://a/" + QByteArray(qv::playlists::kMaxImportLineChars - 9, 'a') + "\n");
  ASSERT_TRUE(longest.ok()) << longest.error.toStdString();
  EXPECT_EQ(longest.stations.size(), 1u);
}

TEST(PlaylistFile, ReaderFollowsTheExtension) {
  const std::pair<const char*, ReaderKind> cases[] = {
      {"a.m3u", ReaderKind::Lines}, {"a.M3U8", ReaderKind::Lines}, {"dir.d/noext", ReaderKind::Lines},
      {"a.txt", ReaderKind::Lines}, {"a.lnk", ReaderKind::Lines},  {"a.PLS", ReaderKind::Ini},
      {"a.ini", ReaderKind::Ini},   {"a.xspf", ReaderKind::Xml},   {"a.xml", ReaderKind::Xml},
      {" a.zip ", ReaderKind::Zip}, {"a.mp3", ReaderKind::None},
  };
  for (const auto& [name, kind] : cases) {
    EXPECT_EQ(qv::playlists::readerForFile(QString::fromUtf8(name)), kind) << name;
  }
}

TEST(PlaylistFile, FailuresNameTheFileAndGiveNoStations) {
  QTemporaryDir dir;
  const QString badMark = dir.filePath(QStringLiteral("bad.m3u"));
  ASSERT_TRUE(writeFile(badMark, QByteArray("\xEF\xBB\xBFhttp://a\n\xFF\n")));
  const QString missing = dir.filePath(QStringLiteral("missing.pls"));
  const QString broken = dir.filePath(QStringLiteral("broken.xspf"));
  ASSERT_TRUE(writeFile(broken, "<a><trackList><track><location>http://x</location></track>"));
  for (const QString& path : {badMark, missing, broken}) {
    const ReadResult result = qv::playlists::readPlaylistFile(path);
    EXPECT_FALSE(result.ok()) << path.toStdString();
    EXPECT_TRUE(result.error.contains(path)) << result.error.toStdString();
    EXPECT_TRUE(result.stations.empty());
  }
  const QString unknown = dir.filePath(QStringLiteral("song.mp3"));
  ASSERT_TRUE(writeFile(unknown, "http://a\n"));
  const ReadResult ignored = qv::playlists::readPlaylistFile(unknown);
  EXPECT_TRUE(ignored.ok());
  EXPECT_TRUE(ignored.stations.empty());
}

}  // namespace
