#include "hls/master_playlist.h"

#include "case_name.h"

#include <gtest/gtest.h>

#include <string>

namespace qv::engine::hls {
namespace {

constexpr const char* kMasterUrl = "https://radio.test/hls/master.m3u8";
using Reason = AudioChoice::Reason;

struct ChoiceCase {
  const char* name;
  const char* body;
  const char* expectedUri;
  Reason expectedReason;
  bool expectedFromRendition;
};

class AudioChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(AudioChoiceTest, ChoosesTheAudioVariant) {
  const ChoiceCase& c = GetParam();
  const auto parsed = parseMasterPlaylist(c.body, kMasterUrl);
  ASSERT_TRUE(parsed.ok()) << describe(parsed.error) << " at line " << parsed.line;
  const auto choice = chooseAudioVariant(parsed.playlist);
  ASSERT_TRUE(choice.has_value());
  EXPECT_EQ(choice->uri, c.expectedUri);
  EXPECT_EQ(choice->reason, c.expectedReason);
  EXPECT_EQ(choice->fromRendition, c.expectedFromRendition);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AudioChoiceTest,
    ::testing::Values(
        ChoiceCase{"FirstAudioOnlyWinsOverBandwidth",
                   "#EXTM3U\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=96000,CODECS=\"mp4a.40.2,avc1.4d401e\",RESOLUTION=320x180\nvideo.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=320000,CODECS=\"mp4a.40.2\"\nhigh.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.5\"\nlow.m3u8\n",
                   "https://radio.test/hls/high.m3u8", Reason::AudioOnlyVariant, false},
        ChoiceCase{"LowestAboveFloorWithoutCodecs",
                   "#EXTM3U\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=256000\n256/index.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=48000\n48/index.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=96000\n96/index.m3u8\n",
                   "https://radio.test/hls/96/index.m3u8", Reason::LowestAbove64k, false},
        ChoiceCase{"NothingAboveFloorTakesHighest",
                   "#EXTM3U\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=32000\n32.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=64000\n64.m3u8\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=48000\n48.m3u8\n",
                   "https://radio.test/hls/64.m3u8", Reason::HighestUpTo64k, false},
        ChoiceCase{"VideoVariantPlaysItsDefaultAudioRendition",
                   "#EXTM3U\n"
                   "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"English\",URI=\"audio/en.m3u8\"\n"
                   "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"Main\",DEFAULT=YES,URI=\"/abs/main.m3u8\"\n"
                   "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"sub\",NAME=\"Subs\",URI=\"subs.m3u8\"\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=800000,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aud\"\nv800.m3u8\n",
                   "https://radio.test/abs/main.m3u8", Reason::LowestAbove64k, true},
        ChoiceCase{"RenditionWithoutUriKeepsVariant",
                   "#EXTM3U\n"
                   "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"Muxed\",DEFAULT=YES\n"
                   "#EXT-X-STREAM-INF:BANDWIDTH=800000,AUDIO=\"aud\"\nv800.m3u8\n",
                   "https://radio.test/hls/v800.m3u8", Reason::LowestAbove64k, false},
        ChoiceCase{"ByteOrderMarkAndCrLfAccepted",
                   "\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-STREAM-INF:BANDWIDTH=128000,CODECS=\"mp4a.40.2\"\r\nhttp://"
                   "other.test/a.m3u8\r\n",
                   "http://other.test/a.m3u8", Reason::AudioOnlyVariant, false},
        ChoiceCase{
            "CommentBeforeHeaderAndNoBandwidthAsServersWriteThem",
            "# generated\n#EXTM3U\n#EXT-X-START:TIME-OFFSET=0\n#EXT-X-STREAM-INF:CODECS=\"mp4a.40.2\"\naudio.m3u8\n",
            "https://radio.test/hls/audio.m3u8", Reason::AudioOnlyVariant, false}),
    CaseName());

struct ErrorCase {
  const char* name;
  const char* body;
  ParseError expected;
  std::size_t expectedLine;
};

class MasterErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MasterErrorTest, RefusesWithClearError) {
  const ErrorCase& c = GetParam();
  HlsLimits limits;
  limits.maxEntries = 3;
  const auto parsed = parseMasterPlaylist(c.body, kMasterUrl, limits);
  EXPECT_EQ(parsed.error, c.expected) << describe(parsed.error);
  EXPECT_EQ(parsed.line, c.expectedLine);
  EXPECT_TRUE(parsed.playlist.variants.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MasterErrorTest,
    ::testing::Values(
        ErrorCase{"NoHeader", "#EXT-X-STREAM-INF:BANDWIDTH=1\na.m3u8\n", ParseError::MissingHeader, 1},
        ErrorCase{"Utf16Bom", "\xFF\xFE#\0E\0X\0", ParseError::MissingHeader, 1},
        ErrorCase{"Empty", "", ParseError::MissingHeader, 0},
        ErrorCase{"BandwidthNotNumber", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=-5\na.m3u8\n",
                  ParseError::InvalidAttribute, 2},
        ErrorCase{"UnterminatedQuote", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"mp4a\na.m3u8\n",
                  ParseError::InvalidAttribute, 2},
        ErrorCase{"VariantWithoutUriAtEnd", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n", ParseError::MissingUri, 2},
        ErrorCase{"TwoStreamInfsInARow",
                  "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n#EXT-X-STREAM-INF:BANDWIDTH=2\nb.m3u8\n",
                  ParseError::MissingUri, 2},
        ErrorCase{"MediaPlaylist", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\na.ts\n",
                  ParseError::NotMasterPlaylist, 2},
        ErrorCase{"OnlyRenditions", "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"x\",URI=\"a.m3u8\"\n",
                  ParseError::NoVariants, 0},
        ErrorCase{"LocalFileVariant", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nfile:///tmp/a.m3u8\n",
                  ParseError::InvalidUri, 3},
        ErrorCase{"AudioRenditionWithoutGroup", "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,NAME=\"x\"\n",
                  ParseError::InvalidAttribute, 2},
        ErrorCase{"MoreVariantsThanLimit",
                  "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\na\n#EXT-X-STREAM-INF:BANDWIDTH=2\nb\n"
                  "#EXT-X-STREAM-INF:BANDWIDTH=3\nc\n#EXT-X-STREAM-INF:BANDWIDTH=4\nd\n",
                  ParseError::TooManyEntries, 0}),
    CaseName());

TEST(MasterPlaylist, ReadsVariantAndRenditionAttributes) {
  const auto parsed = parseMasterPlaylist(
      "#EXTM3U\n#EXT-X-VERSION:4\n"
      "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aac\",NAME=\"Radio, main\",DEFAULT=YES,URI=\"a/main.m3u8\"\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=128000,AVERAGE-BANDWIDTH=120000,CODECS=\"mp4a.40.2\",AUDIO=\"aac\"\n"
      "# a comment between tag and URI\n"
      "v/128.m3u8\n",
      kMasterUrl);
  ASSERT_TRUE(parsed.ok()) << describe(parsed.error);
  ASSERT_EQ(parsed.playlist.variants.size(), 1u);
  const Variant& variant = parsed.playlist.variants[0];
  EXPECT_EQ(variant.uri, "https://radio.test/hls/v/128.m3u8");
  EXPECT_EQ(variant.bandwidth, 128000u);
  EXPECT_EQ(variant.codecs, "mp4a.40.2");
  EXPECT_EQ(variant.audioGroup, "aac");
  ASSERT_EQ(parsed.playlist.audioRenditions.size(), 1u);
  EXPECT_EQ(parsed.playlist.audioRenditions[0].name, "Radio, main");
  EXPECT_EQ(parsed.playlist.audioRenditions[0].uri, "https://radio.test/hls/a/main.m3u8");
  EXPECT_TRUE(parsed.playlist.audioRenditions[0].isDefault);
}

TEST(MasterPlaylist, AudioOnlyNeedsEveryCodecToBeAudio) {
  EXPECT_TRUE(isAudioOnly({"u", 1, "mp4a.40.2", "", false}));
  EXPECT_TRUE(isAudioOnly({"u", 1, "mp4a.40.34, ec-3", "", false}));
  EXPECT_FALSE(isAudioOnly({"u", 1, "mp4a.40.2,avc1.64001f", "", false}));
  EXPECT_FALSE(isAudioOnly({"u", 1, "mp4a.40.2", "", true}));  // RESOLUTION given
  EXPECT_FALSE(isAudioOnly({"u", 1, "", "", false}));          // unknown content
}

TEST(MasterPlaylist, ClassifiesPlaylists) {
  EXPECT_EQ(classifyPlaylist("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\na\n"), PlaylistKind::Master);
  EXPECT_EQ(classifyPlaylist("#EXTM3U\r\n#EXT-X-TARGETDURATION:6\r\n"), PlaylistKind::Media);
  // Tags that share a prefix with the master tags.
  EXPECT_EQ(classifyPlaylist("#EXTM3U\n#EXT-X-MEDIA-SEQUENCE:7\n#EXT-X-STREAM-INFO:x\n"), PlaylistKind::Media);
  EXPECT_EQ(classifyPlaylist("[playlist]\nFile1=http://a.test/\n"), PlaylistKind::NotHls);
  EXPECT_EQ(classifyPlaylist(""), PlaylistKind::NotHls);
}

}  // namespace
}  // namespace qv::engine::hls
