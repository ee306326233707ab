// The PLS, M3U and XSPF readers of station links on arbitrary bodies.
#include "playlist_link/playlist_link.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qv::engine::playlist_link;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kLink = "http://example.test/station/listen.pls";
  (void)detectPlaylist("text/plain", body);
  for (const LinkKind kind : {LinkKind::Pls, LinkKind::M3u, LinkKind::Xspf}) {
    (void)firstStreamUrl(kind, body, kLink, true);
    (void)firstStreamUrl(kind, body, kLink, false);
  }
  return 0;
}
