// Damaged playlists, made by mutating valid ones with a fixed seed, must give a clean result or a
// clean error: never a crash (run under the sanitizers), never a result that breaks the promises
// the engine relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "hls/live_tracker.h"
#include "hls/master_playlist.h"
#include "hls/media_playlist.h"
#include "hls/url_resolver.h"
#include "playlist_link/playlist_link.h"

namespace qv::engine {
namespace {

constexpr int kRounds = 3000;

const std::vector<std::string> kFragments = {"\n",
                                             "\r\n",
                                             "\r",
                                             "#EXTM3U\n",
                                             "#EXTINF:",
                                             "-1,",
                                             "1e308,",
                                             "nan",
                                             ",",
                                             "\"",
                                             "=",
                                             "@",
                                             "../",
                                             "//",
                                             "?",
                                             "#EXT-X-TARGETDURATION:",
                                             "#EXT-X-MEDIA-SEQUENCE:18446744073709551615\n",
                                             "#EXT-X-BYTERANGE:",
                                             "#EXT-X-MAP:URI=",
                                             "#EXT-X-DISCONTINUITY\n",
                                             "#EXT-X-ENDLIST\n",
                                             "#EXT-X-STREAM-INF:BANDWIDTH=",
                                             "#EXT-X-MEDIA:TYPE=AUDIO,",
                                             "\xEF\xBB\xBF",
                                             std::string(1, '\0'),
                                             "[playlist]\n",
                                             "File0=",
                                             "<track><location>",
                                             "</location>",
                                             "<!--",
                                             "<![CDATA[",
                                             "&#x110000;",
                                             "&#65;",
                                             "http://x.test/",
                                             "file:///",
                                             "\x01"};

std::string mutate(std::string text, std::mt19937& random) {
  const int mutations = std::uniform_int_distribution<int>(1, 4)(random);
  for (int i = 0; i < mutations; ++i) {
    const std::size_t at = text.empty() ? 0 : std::uniform_int_distribution<std::size_t>(0, text.size())(random);
    const std::size_t span = std::uniform_int_distribution<std::size_t>(0, 12)(random);
    switch (std::uniform_int_distribution<int>(0, 4)(random)) {
      case 0:
        text.insert(at, kFragments[std::uniform_int_distribution<std::size_t>(0, kFragments.size() - 1)(random)]);
        break;
      case 1:
        text.erase(at, span);
        break;
      case 2:
        if (at < text.size()) {
          text[at] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        }
        break;
      case 3:
        text.insert(at, text.substr(at, span));
        break;
      default:
        text.resize(at);
        break;
    }
  }
  return text;
}

const char* kMedia =
    "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXT-X-MEDIA-SEQUENCE:100\n#EXT-X-MAP:URI=\"init.mp4\"\n"
    "#EXTINF:6.0,One\n#EXT-X-BYTERANGE:500@0\nall.mp4\n#EXTINF:6.0,Two\n#EXT-X-BYTERANGE:500\nall.mp4\n"
    "#EXT-X-DISCONTINUITY\n#EXTINF:5.5,Three\nthree.aac?x=1\n#EXTINF:6,\n/abs/four.ts\n";

const char* kMaster =
    "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"Main\",DEFAULT=YES,URI=\"a/main.m3u8\"\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=800000,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"a\"\nv.m3u8\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=48000\nlow.m3u8\n";

const char* kLinks[] = {
    "[playlist]\nFile2=two\nFile1=http://a.test/one\n",
    "#EXTM3U\n#EXTINF:-1,Jazz\n../jazz\n",
    "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList><track><location>http://a.test/?a&amp;b</location>"
    "</track></trackList></playlist>",
};

TEST(HostileInput, MediaPlaylistsGiveValidSegmentsOrAnError) {
  std::mt19937 random(20261210);
  hls::HlsLimits limits;
  limits.maxEntries = 16;
  for (int round = 0; round < kRounds; ++round) {
    const std::string body = mutate(kMedia, random);
    const auto parsed = hls::parseMediaPlaylist(body, "http://radio.test/hls/list.m3u8", limits);
    if (!parsed.ok()) {
      EXPECT_TRUE(parsed.playlist.segments.empty());
      continue;
    }
    const hls::MediaPlaylist& list = parsed.playlist;
    ASSERT_GE(list.targetDuration, 1u);
    ASSERT_LE(list.segments.size(), limits.maxEntries);
    for (std::size_t i = 0; i < list.segments.size(); ++i) {
      const hls::Segment& segment = list.segments[i];
      ASSERT_EQ(segment.sequence, list.mediaSequence + i) << body;
      ASSERT_TRUE(std::isfinite(segment.duration) && segment.duration >= 0 &&
                  segment.duration <= limits.maxSegmentSeconds)
          << body;
      ASSERT_TRUE(isFetchableUrl(segment.uri)) << body;
      if (segment.byteRange) {
        ASSERT_GT(segment.byteRange->length, 0u) << body;
      }
    }
  }
}

TEST(HostileInput, MasterPlaylistsGiveAChoiceOrAnError) {
  std::mt19937 random(5);
  for (int round = 0; round < kRounds; ++round) {
    const std::string body = mutate(kMaster, random);
    const auto parsed = hls::parseMasterPlaylist(body, "https://radio.test/master.m3u8");
    if (!parsed.ok()) {
      EXPECT_TRUE(parsed.playlist.variants.empty());
      continue;
    }
    const auto choice = hls::chooseAudioVariant(parsed.playlist);
    ASSERT_TRUE(choice.has_value()) << body;
    ASSERT_LT(choice->variantIndex, parsed.playlist.variants.size());
    ASSERT_FALSE(choice->uri.empty()) << body;
  }
}

TEST(HostileInput, PlaylistLinksGiveAnHttpUrlOrAnError) {
  std::mt19937 random(7);
  for (int round = 0; round < kRounds; ++round) {
    const std::string body = mutate(kLinks[round % 3], random);
    const auto kind = playlist_link::detectPlaylist("", body);
    for (const auto tried :
         {kind, playlist_link::LinkKind::Pls, playlist_link::LinkKind::M3u, playlist_link::LinkKind::Xspf}) {
      const auto found = playlist_link::firstStreamUrl(tried, body, "http://radio.test/a/list", round % 2 == 0);
      ASSERT_EQ(found.error == playlist_link::LinkError::None, isFetchableUrl(found.url)) << body;
    }
  }
}

TEST(HostileInput, TrackerNeverRepeatsOrReordersWithinANumbering) {
  std::mt19937 random(11);
  hls::LivePlaylistTracker tracker;
  std::uint64_t lastEmitted = 0;
  bool emittedAny = false;
  for (int round = 0; round < kRounds; ++round) {
    const auto parsed = hls::parseMediaPlaylist(mutate(kMedia, random), "http://radio.test/hls/list.m3u8");
    if (!parsed.ok() || parsed.playlist.endList) {
      continue;
    }
    const auto update = tracker.update(parsed.playlist);
    for (const hls::Segment& segment : update.newSegments) {
      const bool firstOfRestart = update.restarted && &segment == &update.newSegments.front();
      if (emittedAny && !firstOfRestart) {
        ASSERT_GT(segment.sequence, lastEmitted);
      }
      lastEmitted = segment.sequence;
      emittedAny = true;
    }
    ASSERT_GE(tracker.reloadDelay(), std::chrono::milliseconds(500));
  }
}

}  // namespace
}  // namespace qv::engine
