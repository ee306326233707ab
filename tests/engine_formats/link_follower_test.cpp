#include "playlist_link/link_follower.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::engine::playlist_link {
namespace {

using Kind = PlaylistLinkFollower::Step::Kind;

constexpr const char* kPls = "audio/x-scpls";
constexpr const char* kM3u = "audio/x-mpegurl";

TEST(PlaylistLinkFollower, FollowsNestedPlaylistsToTheStream) {
  PlaylistLinkFollower follower("http://radio.test/station.m3u");
  auto step = follower.onResponse(kM3u, "#EXTM3U\nlists/inner.pls\n", true);
  ASSERT_EQ(step.kind, Kind::Follow);
  EXPECT_EQ(step.url, "http://radio.test/lists/inner.pls");
  EXPECT_EQ(follower.currentUrl(), step.url);

  // The server redirected; the entry is relative to where the redirect ended.
  step = follower.onResponse(kPls, "[playlist]\nFile1=../live/mp3\n", true, "http://cdn.test/a/inner.pls");
  ASSERT_EQ(step.kind, Kind::Follow);
  EXPECT_EQ(step.url, "http://cdn.test/live/mp3");

  step = follower.onResponse("audio/mpeg", "", false);
  EXPECT_EQ(step.kind, Kind::PlayStream);
  EXPECT_EQ(step.url, "http://cdn.test/live/mp3");
  EXPECT_EQ(follower.depth(), 2);
}

TEST(PlaylistLinkFollower, HandsHlsToTheHlsReader) {
  PlaylistLinkFollower follower("http://radio.test/station.pls");
  ASSERT_EQ(follower.onResponse(kPls, "[playlist]\nFile1=http://hls.test/master.m3u8\n", true).kind, Kind::Follow);
  const auto step = follower.onResponse("application/vnd.apple.mpegurl", "#EXTM3U\n", true);
  EXPECT_EQ(step.kind, Kind::PlayHls);
  EXPECT_EQ(step.url, "http://hls.test/master.m3u8");
}

struct LoopCase {
  const char* stationUrl;
  std::vector<std::string> bodies;  // M3U bodies answered in turn; the last one must close the loop
};

TEST(PlaylistLinkFollower, LoopsEndWithLoopError) {
  const std::vector<LoopCase> cases = {
      {"http://radio.test/self.m3u", {"self.m3u\n"}},
      {"http://radio.test/self.m3u", {"HTTP://RADIO.test/./self.m3u#again\n"}},
      {"http://radio.test/a.m3u", {"b.m3u\n", "a.m3u\n"}},
      {"http://radio.test/a.m3u", {"b.m3u\n", "c.m3u\n", "b.m3u\n"}},
  };
  for (const LoopCase& c : cases) {
    PlaylistLinkFollower follower(c.stationUrl);
    for (std::size_t i = 0; i + 1 < c.bodies.size(); ++i) {
      ASSERT_EQ(follower.onResponse(kM3u, c.bodies[i], true).kind, Kind::Follow) << c.bodies[i];
    }
    const auto step = follower.onResponse(kM3u, c.bodies.back(), true);
    EXPECT_EQ(step.kind, Kind::Fail) << c.bodies.back();
    EXPECT_EQ(step.error, LinkError::Loop) << c.bodies.back();
  }
}

TEST(PlaylistLinkFollower, RedirectTargetCountsAsVisited) {
  PlaylistLinkFollower follower("http://radio.test/a.pls");
  const auto step =
      follower.onResponse(kPls, "[playlist]\nFile1=http://radio.test/b.pls\n", true, "http://radio.test/b.pls");
  EXPECT_EQ(step.kind, Kind::Fail);
  EXPECT_EQ(step.error, LinkError::Loop);
}

TEST(PlaylistLinkFollower, DepthIsBounded) {
  for (const int playlists : {PlaylistLinkFollower::kDefaultMaxDepth, PlaylistLinkFollower::kDefaultMaxDepth + 1}) {
    PlaylistLinkFollower follower("http://radio.test/0.m3u");
    PlaylistLinkFollower::Step step;
    for (int i = 1; i <= playlists; ++i) {
      step = follower.onResponse(kM3u, std::to_string(i) + ".m3u\n", true);
      if (step.kind != Kind::Follow) {
        break;
      }
    }
    if (playlists <= PlaylistLinkFollower::kDefaultMaxDepth) {
      EXPECT_EQ(step.kind, Kind::Follow);
      EXPECT_EQ(follower.onResponse("audio/aac", "", false).kind, Kind::PlayStream);
    } else {
      EXPECT_EQ(step.kind, Kind::Fail);
      EXPECT_EQ(step.error, LinkError::DepthExceeded);
      EXPECT_EQ(follower.depth(), PlaylistLinkFollower::kDefaultMaxDepth);
    }
  }
}

TEST(PlaylistLinkFollower, PlaylistWithoutEntryFails) {
  PlaylistLinkFollower follower("http://radio.test/empty.pls");
  const auto step = follower.onResponse(kPls, "[playlist]\nNumberOfEntries=0\n", true);
  EXPECT_EQ(step.kind, Kind::Fail);
  EXPECT_EQ(step.error, LinkError::NoStreamUrl);
  EXPECT_TRUE(step.url.empty());
}

}  // namespace
}  // namespace qv::engine::playlist_link
