#include "playlist_link/playlist_link.h"

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"

namespace qv::engine::playlist_link {
namespace {

const std::string kXspf =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
    "  <location>http://radio.test/this-playlist.xspf</location>\n"
    "  <trackList>\n"
    "    <!-- <track><location>http://radio.test/commented</location></track> -->\n"
    "    <track/>\n"
    "    <track><title>Empty</title><location>  </location></track>\n"
    "    <track>\n"
    "      <title>Jazz</title>\n"
    "      <location>\n        http://jazz.test/live?a=1&amp;b=2\n      </location>\n"
    "    </track>\n"
    "    <track><location>http://jazz.test/second</location></track>\n"
    "  </trackList>\n"
    "</playlist>\n";

struct DetectCase {
  const char* name;
  const char* contentType;
  std::string body;
  LinkKind expected;
};

class DetectPlaylistTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectPlaylistTest, TellsWhatTheResponseIs) {
  const DetectCase& c = GetParam();
  EXPECT_EQ(detectPlaylist(c.contentType, c.body), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DetectPlaylistTest,
    ::testing::Values(
        DetectCase{"PlsByType", "audio/x-scpls", "[playlist]\nFile1=http://a.test/\n", LinkKind::Pls},
        DetectCase{"PlsTypeWithParameterEmptyBody", "audio/x-scpls; charset=UTF-8", "", LinkKind::Pls},
        DetectCase{"PlsXmlType", "application/pls+xml", "[playlist]\nFile1=http://a.test/\n", LinkKind::Pls},
        DetectCase{"M3uByTypeInCapitals", "Audio/X-MPEGURL", "#EXTM3U\n#EXTINF:-1,Jazz\nhttp://a.test/\n",
                   LinkKind::M3u},
        DetectCase{"M3uTypeWithHlsContent", "audio/mpegurl", "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\na.ts\n",
                   LinkKind::Hls},
        DetectCase{"AppleTypeIsHls", "application/vnd.apple.mpegurl", "#EXTM3U\nhttp://a.test/\n", LinkKind::Hls},
        DetectCase{"XspfByType", "application/xspf+xml", kXspf, LinkKind::Xspf},
        DetectCase{"XspfByContent", "text/xml", kXspf, LinkKind::Xspf},
        DetectCase{"PlsByContentWithBomAndCrLf", "", "\xEF\xBB\xBF[Playlist]\r\nFile1=http://a.test/\r\n",
                   LinkKind::Pls},
        DetectCase{"PlsByContentAsText", "text/plain", "  \n[playlist]\nFile1=http://a.test/\n", LinkKind::Pls},
        DetectCase{"UrlLinesAsOctetStream", "application/octet-stream", "# list\nhttp://a.test/stream\n",
                   LinkKind::M3u},
        DetectCase{"ExtM3uWithoutHlsTags", "text/plain", "#EXTM3U\nhttp://a.test/\n", LinkKind::M3u},
        DetectCase{"HlsAfterACommentLine", "text/plain", "# from the encoder\n#EXTM3U\n#EXT-X-TARGETDURATION:6\n",
                   LinkKind::Hls},
        DetectCase{"AudioIsNeverReadAsText", "audio/mpeg", "[playlist]\nFile1=http://a.test/\n", LinkKind::NotPlaylist},
        DetectCase{"OggAudio", "application/ogg", "OggS", LinkKind::NotPlaylist},
        DetectCase{"HtmlPage", "text/html", "<html><body>http://a.test/</body></html>", LinkKind::NotPlaylist},
        DetectCase{"TextThatIsNoList", "text/plain", "Not found\nhttp://a.test/\n", LinkKind::NotPlaylist},
        DetectCase{"XmlThatIsNoXspf", "application/xml", "<playlist><track/></playlist>", LinkKind::NotPlaylist}),
    CaseName());

TEST(PlaylistLink, AudioContentTypesAreNotReadAsPlaylists) {
  EXPECT_FALSE(mayBePlaylist("audio/mpeg"));
  EXPECT_FALSE(mayBePlaylist("audio/aacp"));
  EXPECT_FALSE(mayBePlaylist("application/ogg"));
  EXPECT_FALSE(mayBePlaylist("video/MP2T"));
  EXPECT_TRUE(mayBePlaylist("audio/x-mpegurl"));
  EXPECT_TRUE(mayBePlaylist("audio/x-scpls;charset=utf-8"));
  EXPECT_TRUE(mayBePlaylist("application/vnd.apple.mpegurl"));
  EXPECT_TRUE(mayBePlaylist("text/plain"));
  EXPECT_TRUE(mayBePlaylist(""));
}

struct FirstUrlCase {
  const char* name;
  LinkKind kind;
  std::string body;
  bool complete;
  const char* expectedUrl;
  LinkError expectedError;
};

class FirstStreamUrlTest : public ::testing::TestWithParam<FirstUrlCase> {};

TEST_P(FirstStreamUrlTest, FindsTheFirstEntry) {
  const FirstUrlCase& c = GetParam();
  const FirstUrl found = firstStreamUrl(c.kind, c.body, "http://radio.test/listen/station.pls", c.complete);
  EXPECT_EQ(found.error, c.expectedError) << describe(found.error);
  EXPECT_EQ(found.url, c.expectedUrl);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FirstStreamUrlTest,
    ::testing::Values(
        FirstUrlCase{"PlsLowestNumber", LinkKind::Pls,
                     "[playlist]\nnumberofentries=2\nFile2=http://b.test/\nFile1=http://a.test/\nTitle1=A\n", true,
                     "http://a.test/", LinkError::None},
        FirstUrlCase{"PlsGapsAndEmptyEntries", LinkKind::Pls,
                     "[playlist]\nFile7=http://g.test/\nFile2=\nFile3=http://c.test/\nFileX=http://x.test/\n", true,
                     "http://c.test/", LinkError::None},
        FirstUrlCase{"PlsOtherSectionIgnored", LinkKind::Pls,
                     "[other]\nFile1=http://x.test/\n[playlist]\r\nfile1 = http://y.test/ \r\n", true, "http://y.test/",
                     LinkError::None},
        FirstUrlCase{"PlsRelativeEntry", LinkKind::Pls, "[playlist]\nFile1=stream/main\n", true,
                     "http://radio.test/listen/stream/main", LinkError::None},
        FirstUrlCase{"PlsWithoutEntries", LinkKind::Pls, "[playlist]\nnumberofentries=0\n", true, "",
                     LinkError::NoStreamUrl},
        FirstUrlCase{"M3uFirstNonComment", LinkKind::M3u,
                     "#EXTM3U\n#EXTINF:-1,Jazz FM\n\n  http://jazz.test/live  \r\nhttp://second.test/\n", true,
                     "http://jazz.test/live", LinkError::None},
        FirstUrlCase{"M3uRelativeUpward", LinkKind::M3u, "../aac/main\n", true, "http://radio.test/aac/main",
                     LinkError::None},
        FirstUrlCase{"M3uOnlyComments", LinkKind::M3u, "#EXTM3U\n#EXTINF:-1,Nothing\n", true, "",
                     LinkError::NoStreamUrl},
        FirstUrlCase{"M3uLocalFile", LinkKind::M3u, "file:///etc/passwd\n", true, "", LinkError::UnsupportedScheme},
        FirstUrlCase{"M3uWindowsPath", LinkKind::M3u, "C:\\Music\\a.mp3\n", true, "", LinkError::UnsupportedScheme},
        FirstUrlCase{"M3uHttpWithoutHost", LinkKind::M3u, "http:relative\n", true, "", LinkError::InvalidUrl},
        FirstUrlCase{"M3uControlCharacter", LinkKind::M3u, "http://a.test/x\x01y\n", true, "", LinkError::InvalidUrl},
        FirstUrlCase{"CutBodyDropsItsUnfinishedLine", LinkKind::M3u, "#EXTM3U\nhttp://a.test/cut-in-the-mid", false, "",
                     LinkError::TooLarge},
        FirstUrlCase{"CutBodyKeepsFinishedLines", LinkKind::M3u, "http://a.test/whole\nhttp://a.test/cut", false,
                     "http://a.test/whole", LinkError::None},
        FirstUrlCase{"XspfFirstTrackLocation", LinkKind::Xspf, kXspf, true, "http://jazz.test/live?a=1&b=2",
                     LinkError::None},
        FirstUrlCase{"XspfCdataAndPrefix", LinkKind::Xspf,
                     "<x:playlist xmlns:x=\"http://xspf.org/ns/0/\"><x:trackList><x:track>"
                     "<x:location><![CDATA[http://a.test/?q=<1>]]></x:location></x:track></x:trackList></x:playlist>",
                     true, "http://a.test/?q=<1>", LinkError::None},
        FirstUrlCase{"XspfWithoutTracks", LinkKind::Xspf,
                     "<playlist xmlns=\"http://xspf.org/ns/0/\"><location>http://a.test/</location></playlist>", true,
                     "", LinkError::NoStreamUrl},
        FirstUrlCase{"XspfUnclosedComment", LinkKind::Xspf, "<playlist><trackList><track><!-- <location>", true, "",
                     LinkError::NoStreamUrl},
        FirstUrlCase{"HlsIsNoLink", LinkKind::Hls, "#EXTM3U\n#EXT-X-TARGETDURATION:6\n", true, "",
                     LinkError::NoStreamUrl}),
    CaseName());

// Hostile bodies: however they are built, only the first kMaxPlaylistBytes are looked at, and a
// body that holds no entry there fails with the error that names that bound.
TEST(PlaylistLink, HostileBodiesAreReadOnlyUpToTheBound) {
  std::string deep = "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList><track><title>";
  for (int i = 0; i < 200'000; ++i) {
    deep += "<b>";
  }
  struct Case {
    const char* what;
    LinkKind kind;
    std::string body;
  };
  const Case cases[] = {
      {"XSPF nesting 200,000 elements", LinkKind::Xspf, deep},
      {"one line of 4 MiB", LinkKind::M3u, "http://a.test/" + std::string(4 << 20, 'a') + "\n"},
      {"a million tiny comment lines", LinkKind::M3u,
       [] {
         std::string lines;
         for (int i = 0; i < 1'000'000; ++i) {
           lines += "#\n";
         }
         return lines + "http://late.test/\n";
       }()},
      {"two million empty PLS lines", LinkKind::Pls,
       "[playlist]\n" + std::string(2'000'000, '\n') + "File1=http://late.test/\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_GT(c.body.size(), kMaxPlaylistBytes);
    for (const bool complete : {true, false}) {
      const FirstUrl found = firstStreamUrl(c.kind, c.body, "http://radio.test/listen.pls", complete);
      EXPECT_EQ(found.error, LinkError::TooLarge);
      EXPECT_NE(std::string(describe(found.error)).find("64 KiB"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace qv::engine::playlist_link
