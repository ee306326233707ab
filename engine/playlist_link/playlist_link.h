#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv::engine::playlist_link {

//! A playlist link names a small text file; more than this is not read.
constexpr std::size_t kMaxPlaylistBytes = 64 * 1024;

enum class LinkKind {
  NotPlaylist,  //!< the response is the stream itself
  Pls,
  M3u,
  Xspf,
  Hls,  //!< not a link: an HLS playlist, played as such
};

enum class LinkError {
  None,
  NoStreamUrl,        //!< a playlist without any entry
  TooLarge,           //!< no entry in the first kMaxPlaylistBytes of a longer playlist
  InvalidUrl,         //!< the entry cannot be resolved against the link's URL
  UnsupportedScheme,  //!< the entry is not http or https (a remote list must not open local files)
  DepthExceeded,      //!< playlists nested deeper than the follower allows
  Loop,               //!< the entry leads back to a URL already visited
};

const char* describe(LinkError error);

//! False when the Content-Type says the response is audio itself (audio/mpeg, audio/aacp,
//! application/ogg...): its body is then played, never read as text. Parameters such as
//! "; charset=" and letter case do not matter.
bool mayBePlaylist(std::string_view contentType);

//! Tells what a response is from its Content-Type and the first bytes of its body. The content
//! decides when it is recognisable ([playlist], #EXTM3U with or without HLS tags, an XSPF root,
//! plain URL lines); otherwise a playlist Content-Type does. application/vnd.apple.mpegurl is
//! always HLS.
LinkKind detectPlaylist(std::string_view contentType, std::string_view bodyStart);

struct FirstUrl {
  std::string url;  //!< resolved against the link's URL; empty on error
  LinkError error = LinkError::None;
};

//! The first stream URL of a playlist: the lowest-numbered non-empty FileN of a PLS, the first
//! line of an M3U that is neither empty nor a comment, the first <location> of a track of an
//! XSPF. bodyComplete false means the body was cut at kMaxPlaylistBytes, so its last,
//! unterminated line is not trusted.
FirstUrl firstStreamUrl(LinkKind kind, std::string_view body, std::string_view linkUrl, bool bodyComplete);

}  // namespace qv::engine::playlist_link
