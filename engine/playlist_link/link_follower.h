#pragma once

#include <set>
#include <string>
#include <string_view>

#include "playlist_link/playlist_link.h"

namespace qv::engine::playlist_link {

//! Follows a station link through playlist files to the stream, with bounded depth and no loops.
//!
//! The engine opens currentUrl(). When mayBePlaylist() refuses the response's Content-Type, it
//! plays the response. Otherwise it reads at most kMaxPlaylistBytes of the body and calls
//! onResponse(): PlayStream plays this response (the bytes already read included), PlayHls hands
//! the body to the HLS reader, Follow opens currentUrl() again (now the entry found), Fail ends the
//! open with the error. A follower serves one open; after PlayStream, PlayHls or Fail it is done.
class PlaylistLinkFollower {
 public:
  static constexpr int kDefaultMaxDepth = 5;

  struct Step {
    enum class Kind { PlayStream, PlayHls, Follow, Fail };
    Kind kind = Kind::PlayStream;
    std::string url;  //!< what to play or follow; empty on Fail
    LinkError error = LinkError::None;
  };

  //! maxDepth is the number of playlists followed; one more playlist fails with DepthExceeded.
  explicit PlaylistLinkFollower(std::string stationUrl, int maxDepth = kDefaultMaxDepth);

  const std::string& currentUrl() const { return m_currentUrl; }
  int depth() const { return m_depth; }

  //! effectiveUrl is where HTTP redirects ended (empty: currentUrl()); relative entries are
  //! resolved against it and it counts as visited.
  Step onResponse(std::string_view contentType, std::string_view body, bool bodyComplete,
                  std::string_view effectiveUrl = {});

 private:
  bool visit(std::string_view url);  // false when already visited

  std::string m_currentUrl;
  int m_maxDepth;
  int m_depth = 0;
  std::set<std::string> m_visited;
};

}  // namespace qv::engine::playlist_link
