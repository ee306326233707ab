// HLS master and media playlists and the URL resolver on arbitrary playlist text.
#include "hls/master_playlist.h"
#include "hls/media_playlist.h"
#include "hls/url_resolver.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view kBase = "http://example.test/live/index.m3u8";
  const qv::engine::hls::HlsLimits limits;
  (void)qv::engine::hls::classifyPlaylist(body);
  const auto master = qv::engine::hls::parseMasterPlaylist(body, kBase, limits);
  if (master.ok()) {
    (void)qv::engine::hls::chooseAudioVariant(master.playlist);
  }
  (void)qv::engine::hls::parseMediaPlaylist(body, kBase, limits);
  // The first line as a reference against the base, the rest as a base of its own.
  const std::size_t lineEnd = body.find('\n');
  const std::string_view first = body.substr(0, lineEnd);
  const std::string_view rest = lineEnd == std::string_view::npos ? std::string_view() : body.substr(lineEnd + 1);
  (void)qv::engine::resolveUrl(kBase, first);
  (void)qv::engine::resolveUrl(rest, first);
  (void)qv::engine::urlIdentity(first);
  return 0;
}
