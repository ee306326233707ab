#include "hls/media_playlist.h"

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"

namespace qv::engine::hls {
namespace {

constexpr const char* kListUrl = "http://radio.test/live/audio.m3u8?auth=x";

TEST(MediaPlaylist, ReadsSegmentsWithTheirTags) {
  const auto parsed = parseMediaPlaylist(
      "#EXTM3U\r\n"
      "#EXT-X-VERSION:7\r\n"
      "#EXT-X-TARGETDURATION:10\r\n"
      "#EXT-X-MEDIA-SEQUENCE:41\r\n"
      "#EXT-X-DISCONTINUITY-SEQUENCE:3\r\n"
      "#EXT-X-PLAYLIST-TYPE:VOD\r\n"
      "#EXT-X-KEY:METHOD=NONE\r\n"
      "#EXT-X-MAP:URI=\"init.mp4\",BYTERANGE=\"720@0\"\r\n"
      "#EXTINF:9.96,News at ten\r\n"
      "#EXT-X-BYTERANGE:1000@720\r\n"
      "media.mp4\r\n"
      "#EXTINF:10,Rock, Pop & More\r\n"
      "#EXT-X-BYTERANGE:2000\r\n"
      "media.mp4\r\n"
      "#EXT-X-DISCONTINUITY\r\n"
      "#EXT-X-SOME-FUTURE-TAG:1\r\n"
      "#EXTINF:4.5\r\n"
      "../other/seg.aac?n=1\r\n"
      "#EXT-X-ENDLIST\r\n",
      kListUrl);
  ASSERT_TRUE(parsed.ok()) << describe(parsed.error) << " at line " << parsed.line;
  const MediaPlaylist& list = parsed.playlist;
  EXPECT_EQ(list.targetDuration, 10u);
  EXPECT_EQ(list.mediaSequence, 41u);
  EXPECT_EQ(list.discontinuitySequence, 3u);
  EXPECT_EQ(list.type, PlaylistType::Vod);
  EXPECT_TRUE(list.endList);
  ASSERT_EQ(list.segments.size(), 3u);

  const InitSection init{"http://radio.test/live/init.mp4", ByteRange{720, 0}};
  const Segment& first = list.segments[0];
  EXPECT_EQ(first.sequence, 41u);
  EXPECT_DOUBLE_EQ(first.duration, 9.96);
  EXPECT_EQ(first.label, "9.96,News at ten");
  EXPECT_EQ(first.title, "News at ten");
  EXPECT_EQ(first.uri, "http://radio.test/live/media.mp4");
  EXPECT_EQ(first.byteRange, (ByteRange{1000, 720}));
  EXPECT_EQ(first.initSection, init);
  EXPECT_FALSE(first.discontinuity);

  const Segment& second = list.segments[1];
  EXPECT_EQ(second.sequence, 42u);
  EXPECT_EQ(second.title, "Rock, Pop & More");
  EXPECT_EQ(second.byteRange, (ByteRange{2000, 1720}));  // continues the previous range
  EXPECT_EQ(second.discontinuitySequence, 3u);

  const Segment& third = list.segments[2];
  EXPECT_EQ(third.sequence, 43u);
  EXPECT_EQ(third.label, "4.5");
  EXPECT_EQ(third.title, "");
  EXPECT_EQ(third.uri, "http://radio.test/other/seg.aac?n=1");
  EXPECT_FALSE(third.byteRange.has_value());
  EXPECT_TRUE(third.discontinuity);
  EXPECT_EQ(third.discontinuitySequence, 4u);
}

TEST(MediaPlaylist, LiveListWithoutEndHasDefaults) {
  const auto parsed = parseMediaPlaylist("#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\ns1.ts\n", kListUrl);
  ASSERT_TRUE(parsed.ok()) << describe(parsed.error);
  EXPECT_FALSE(parsed.playlist.endList);
  EXPECT_EQ(parsed.playlist.type, PlaylistType::Unspecified);
  ASSERT_EQ(parsed.playlist.segments.size(), 1u);
  EXPECT_EQ(parsed.playlist.segments[0].sequence, 0u);
  EXPECT_FALSE(parsed.playlist.segments[0].initSection.has_value());
}

struct ErrorCase {
  const char* name;
  std::string body;
  ParseError expected;
  std::size_t expectedLine;
};

class MediaErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MediaErrorTest, RefusesWithClearError) {
  const ErrorCase& c = GetParam();
  HlsLimits limits;
  limits.maxEntries = 3;
  const auto parsed = parseMediaPlaylist(c.body, kListUrl, limits);
  EXPECT_EQ(parsed.error, c.expected) << describe(parsed.error);
  EXPECT_EQ(parsed.line, c.expectedLine);
  EXPECT_TRUE(parsed.playlist.segments.empty());
}

const std::string kHead = "#EXTM3U\n#EXT-X-TARGETDURATION:10\n";  // lines 1 and 2

INSTANTIATE_TEST_SUITE_P(
    Table, MediaErrorTest,
    ::testing::Values(
        ErrorCase{"NoHeader", "#EXT-X-TARGETDURATION:10\n#EXTINF:10,\na.ts\n", ParseError::MissingHeader, 1},
        ErrorCase{"PlainM3u", "http://radio.test/stream\n", ParseError::MissingHeader, 1},
        ErrorCase{"NoTargetDuration", "#EXTM3U\n#EXTINF:10,\na.ts\n", ParseError::MissingTargetDuration, 0},
        ErrorCase{"ZeroTargetDuration", "#EXTM3U\n#EXT-X-TARGETDURATION:0\n", ParseError::InvalidTargetDuration, 2},
        ErrorCase{"AbsurdTargetDuration", "#EXTM3U\n#EXT-X-TARGETDURATION:99999999\n",
                  ParseError::InvalidTargetDuration, 2},
        ErrorCase{"NegativeDuration", kHead + "#EXTINF:-1,Live\na.ts\n", ParseError::InvalidDuration, 3},
        ErrorCase{"NotANumberDuration", kHead + "#EXTINF:nan,x\na.ts\n", ParseError::InvalidDuration, 3},
        ErrorCase{"InfiniteDuration", kHead + "#EXTINF:1e999,x\na.ts\n", ParseError::InvalidDuration, 3},
        ErrorCase{"AbsurdDuration", kHead + "#EXTINF:86400,x\na.ts\n", ParseError::InvalidDuration, 3},
        ErrorCase{"EmptyDuration", kHead + "#EXTINF:,x\na.ts\n", ParseError::InvalidDuration, 3},
        ErrorCase{"ExtinfWithoutUriAtEnd", kHead + "#EXTINF:10,\n", ParseError::MissingUri, 3},
        ErrorCase{"TwoExtinfsInARow", kHead + "#EXTINF:10,\n#EXTINF:10,\nb.ts\n", ParseError::MissingUri, 3},
        ErrorCase{"Aes128", kHead + "#EXT-X-KEY:METHOD=AES-128,URI=\"k.bin\"\n#EXTINF:10,\na.ts\n",
                  ParseError::UnsupportedEncryption, 3},
        ErrorCase{"SampleAesAfterClearSegment",
                  kHead + "#EXTINF:10,\na.ts\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"k\"\n#EXTINF:10,\nb.ts\n",
                  ParseError::UnsupportedEncryption, 5},
        ErrorCase{"KeyWithoutMethod", kHead + "#EXT-X-KEY:URI=\"k.bin\"\n", ParseError::InvalidAttribute, 3},
        ErrorCase{"MapWithoutUri", kHead + "#EXT-X-MAP:BYTERANGE=\"10@0\"\n", ParseError::InvalidAttribute, 3},
        ErrorCase{"RangeContinuingOtherResource",
                  kHead + "#EXTINF:10,\n#EXT-X-BYTERANGE:100@0\na.mp4\n#EXTINF:10,\n#EXT-X-BYTERANGE:100\nb.mp4\n",
                  ParseError::InvalidByteRange, 8},
        ErrorCase{"EmptyRange", kHead + "#EXT-X-BYTERANGE:0@5\n", ParseError::InvalidByteRange, 3},
        ErrorCase{"RangePastEndOfNumbers", kHead + "#EXT-X-BYTERANGE:10@18446744073709551615\n",
                  ParseError::InvalidByteRange, 3},
        ErrorCase{"SequenceNotANumber", kHead + "#EXT-X-MEDIA-SEQUENCE:abc\n", ParseError::InvalidSequenceNumber, 3},
        ErrorCase{"SequenceThatWouldWrap", kHead + "#EXT-X-MEDIA-SEQUENCE:18446744073709551615\n",
                  ParseError::InvalidSequenceNumber, 3},
        ErrorCase{"SequenceAfterSegment", kHead + "#EXTINF:10,\na.ts\n#EXT-X-MEDIA-SEQUENCE:5\n",
                  ParseError::InvalidSequenceNumber, 5},
        ErrorCase{"MasterPlaylist", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\na.m3u8\n", ParseError::NotMediaPlaylist,
                  2},
        ErrorCase{"UnresolvableUri", kHead + "#EXTINF:10,\nseg\x01.ts\n", ParseError::InvalidUri, 4},
        ErrorCase{"LocalFileSegment", kHead + "#EXTINF:10,\nfile:///etc/passwd\n", ParseError::InvalidUri, 4},
        ErrorCase{"InitSectionOverFtp", kHead + "#EXT-X-MAP:URI=\"ftp://radio.test/init.mp4\"\n",
                  ParseError::InvalidUri, 3},
        ErrorCase{"MoreSegmentsThanLimit", kHead + "#EXTINF:1,\na\n#EXTINF:1,\nb\n#EXTINF:1,\nc\n#EXTINF:1,\nd\n",
                  ParseError::TooManyEntries, 10}),
    CaseName());

// What servers really write and common players read: each is read with its plain meaning.
TEST(MediaPlaylist, ReadsPlaylistsAsServersWriteThem) {
  struct Case {
    const char* name;
    std::string body;
    double firstDuration;
    std::string firstUri;
    std::uint64_t firstOffset;  // of its byte range, when it has one
  };
  const Case cases[] = {
      {"CommentBeforeHeader", "# made by an encoder\n#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:9,\na.ts\n", 9,
       "http://radio.test/live/a.ts", 0},
      {"ExtinfWithoutComma", kHead + "#EXTINF:10\na.ts\n", 10, "http://radio.test/live/a.ts", 0},
      {"JunkAfterDuration", kHead + "#EXTINF:6.5 tvg-id=\"x\" group-title=\"y\",News\na.ts\n", 6.5,
       "http://radio.test/live/a.ts", 0},
      {"EmptyMediaSequence", kHead + "#EXT-X-MEDIA-SEQUENCE:\n#EXTINF:4,\na.ts\n", 4, "http://radio.test/live/a.ts", 0},
      {"SegmentWithoutExtinf", "#EXTM3U\na.aac\n#EXT-X-TARGETDURATION:8\n", 8, "http://radio.test/live/a.aac", 0},
      {"TargetDurationTwice", kHead + "#EXT-X-TARGETDURATION:10\n#EXTINF:10,\na.ts\n", 10,
       "http://radio.test/live/a.ts", 0},
      {"StartTag", kHead + "#EXT-X-START:TIME-OFFSET=-30,PRECISE=YES\n#EXTINF:10,\na.ts\n", 10,
       "http://radio.test/live/a.ts", 0},
      {"FirstRangeWithoutOffset",
       kHead + "#EXTINF:10,\n#EXT-X-BYTERANGE:500\nall.aac\n#EXTINF:10,\n"
               "#EXT-X-BYTERANGE:400\nall.aac\n",
       10, "http://radio.test/live/all.aac", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto parsed = parseMediaPlaylist(c.body, kListUrl);
    ASSERT_TRUE(parsed.ok()) << describe(parsed.error) << " at line " << parsed.line;
    ASSERT_FALSE(parsed.playlist.segments.empty());
    const Segment& first = parsed.playlist.segments.front();
    EXPECT_DOUBLE_EQ(first.duration, c.firstDuration);
    EXPECT_EQ(first.uri, c.firstUri);
    if (first.byteRange) {
      EXPECT_EQ(first.byteRange->offset, c.firstOffset);
    }
  }
  // Parts of one file follow each other.
  const auto parts = parseMediaPlaylist(cases[7].body, kListUrl);
  ASSERT_EQ(parts.playlist.segments.size(), 2u);
  EXPECT_EQ(parts.playlist.segments[1].byteRange, (ByteRange{400, 500}));
}

TEST(MediaPlaylist, HugeBodiesAreRefusedWithDefaultLimits) {
  const std::string manyLines = "#EXTM3U\n" + std::string(400'000, '\n');
  EXPECT_EQ(parseMediaPlaylist(manyLines, kListUrl).error, ParseError::TooManyLines);

  std::string manySegments = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
  for (int i = 0; i < 60'000; ++i) {
    manySegments += "#EXTINF:1,\ns.ts\n";
  }
  EXPECT_EQ(parseMediaPlaylist(manySegments, kListUrl).error, ParseError::TooManyEntries);

  const std::string tooLarge = "#EXTM3U\n#" + std::string(5 * 1024 * 1024, 'x');
  EXPECT_EQ(parseMediaPlaylist(tooLarge, kListUrl).error, ParseError::TooLarge);
}

}  // namespace
}  // namespace qv::engine::hls
