#include "hls/url_resolver.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace qv::engine {
namespace {

struct ResolveCase {
  const char* base;
  const char* reference;
  const char* expected;
};

class ResolveUrlTest : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveUrlTest, ResolvesAgainstBase) {
  const ResolveCase& c = GetParam();
  const auto resolved = resolveUrl(c.base, c.reference);
  ASSERT_TRUE(resolved.has_value()) << c.reference;
  EXPECT_EQ(*resolved, c.expected) << "base " << c.base << " reference " << c.reference;
}

constexpr const char* kRfcBase = "http://a/b/c/d;p?q";

// The examples of RFC 3986 section 5.4, then the shapes playlists use.
INSTANTIATE_TEST_SUITE_P(
    Table, ResolveUrlTest,
    ::testing::Values(
        ResolveCase{kRfcBase, "g:h", "g:h"}, ResolveCase{kRfcBase, "g", "http://a/b/c/g"},
        ResolveCase{kRfcBase, "./g", "http://a/b/c/g"}, ResolveCase{kRfcBase, "g/", "http://a/b/c/g/"},
        ResolveCase{kRfcBase, "/g", "http://a/g"}, ResolveCase{kRfcBase, "//g", "http://g"},
        ResolveCase{kRfcBase, "?y", "http://a/b/c/d;p?y"}, ResolveCase{kRfcBase, "g?y", "http://a/b/c/g?y"},
        ResolveCase{kRfcBase, "#s", "http://a/b/c/d;p?q#s"}, ResolveCase{kRfcBase, "g?y#s", "http://a/b/c/g?y#s"},
        ResolveCase{kRfcBase, ";x", "http://a/b/c/;x"}, ResolveCase{kRfcBase, "", "http://a/b/c/d;p?q"},
        ResolveCase{kRfcBase, ".", "http://a/b/c/"}, ResolveCase{kRfcBase, "./", "http://a/b/c/"},
        ResolveCase{kRfcBase, "..", "http://a/b/"}, ResolveCase{kRfcBase, "../", "http://a/b/"},
        ResolveCase{kRfcBase, "../g", "http://a/b/g"}, ResolveCase{kRfcBase, "../..", "http://a/"},
        ResolveCase{kRfcBase, "../../g", "http://a/g"}, ResolveCase{kRfcBase, "../../../g", "http://a/g"},
        ResolveCase{kRfcBase, "/./g", "http://a/g"}, ResolveCase{kRfcBase, "/../g", "http://a/g"},
        ResolveCase{kRfcBase, "g.", "http://a/b/c/g."}, ResolveCase{kRfcBase, "..g", "http://a/b/c/..g"},
        ResolveCase{kRfcBase, "./../g", "http://a/b/g"}, ResolveCase{kRfcBase, "./g/.", "http://a/b/c/g/"},
        ResolveCase{kRfcBase, "g/./h", "http://a/b/c/g/h"}, ResolveCase{kRfcBase, "g/../h", "http://a/b/c/h"},
        ResolveCase{kRfcBase, "g;x=1/./y", "http://a/b/c/g;x=1/y"},
        ResolveCase{kRfcBase, "g;x=1/../y", "http://a/b/c/y"}, ResolveCase{kRfcBase, "g?y/./x", "http://a/b/c/g?y/./x"},
        ResolveCase{kRfcBase, "http:g", "http:g"},
        // Playlists: absolute, scheme-relative, root-relative, ../ with queries.
        ResolveCase{"http://radio.test:8000/live/index.m3u8?token=1", "seg-7.ts?token=2",
                    "http://radio.test:8000/live/seg-7.ts?token=2"},
        ResolveCase{"https://cdn.test/a/b/list.m3u8", "../audio/64k.m3u8", "https://cdn.test/a/audio/64k.m3u8"},
        ResolveCase{"https://cdn.test/a/list.m3u8", "//other.test/s.aac", "https://other.test/s.aac"},
        ResolveCase{"https://cdn.test/a/list.m3u8", "/root/s.aac", "https://cdn.test/root/s.aac"},
        ResolveCase{"http://cdn.test/list.m3u8", "HTTPS://Elsewhere.test/x", "https://Elsewhere.test/x"},
        ResolveCase{"http://host.test", "stream", "http://host.test/stream"},
        ResolveCase{"http://host.test/dir/", "  my stream.mp3 ", "http://host.test/dir/my%20stream.mp3"}),
    // The row's number and its reference in words: "2_dot_slash_g" for "./g".
    [](const ::testing::TestParamInfo<ResolveCase>& row) {
      std::string name = std::to_string(row.index);
      bool inWord = false;
      for (const char c : std::string(row.param.reference)) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
          name += inWord ? std::string(1, c) : std::string("_") + c;
          inWord = true;
        } else {
          name += c == '.' ? "_dot" : c == '/' ? "_slash" : "_x";
          inWord = false;
        }
      }
      return name;
    });

TEST(ResolveUrl, RefusesWhatIsNoUrl) {
  EXPECT_FALSE(resolveUrl("relative/base.m3u8", "seg.ts"));  // no absolute base
  EXPECT_FALSE(resolveUrl("http://host.test/", "seg\n.ts"));
  EXPECT_FALSE(resolveUrl("http://host.test/", std::string(10'000, 'a')));
}

TEST(IsFetchableUrl, OnlyHttpWithAHost) {
  EXPECT_TRUE(isFetchableUrl("http://radio.test/a"));
  EXPECT_TRUE(isFetchableUrl("HTTPS://user:pw@radio.test:8443"));
  EXPECT_FALSE(isFetchableUrl("file:///etc/passwd"));
  EXPECT_FALSE(isFetchableUrl("ftp://radio.test/a"));
  EXPECT_FALSE(isFetchableUrl("http:relative"));
  EXPECT_FALSE(isFetchableUrl("http:///no-host"));
  EXPECT_FALSE(isFetchableUrl("http://user@:80/"));
}

TEST(UrlIdentity, SameResourceComparesEqual) {
  EXPECT_EQ(urlIdentity("HTTP://Radio.Test/a/./b/../list.pls#top"), urlIdentity("http://radio.test/a/list.pls"));
  EXPECT_EQ(urlIdentity("http://radio.test"), urlIdentity("http://radio.test/"));
  EXPECT_NE(urlIdentity("http://radio.test/List.pls"), urlIdentity("http://radio.test/list.pls"));
  EXPECT_NE(urlIdentity("http://radio.test/list.pls?a=1"), urlIdentity("http://radio.test/list.pls?a=2"));
  EXPECT_FALSE(urlIdentity("no scheme"));
}

}  // namespace
}  // namespace qv::engine
