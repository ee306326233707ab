#include "playlist_link/link_follower.h"

#include <utility>

#include "hls/url_resolver.h"

namespace qv::engine::playlist_link {

PlaylistLinkFollower::PlaylistLinkFollower(std::string stationUrl, int maxDepth)
    : m_currentUrl(std::move(stationUrl)), m_maxDepth(maxDepth) {
  visit(m_currentUrl);
}

bool PlaylistLinkFollower::visit(std::string_view url) {
  const auto identity = urlIdentity(url);
  return m_visited.insert(identity ? *identity : std::string(url)).second;
}

PlaylistLinkFollower::Step PlaylistLinkFollower::onResponse(std::string_view contentType, std::string_view body,
                                                            bool bodyComplete, std::string_view effectiveUrl) {
  const std::string base = effectiveUrl.empty() ? m_currentUrl : std::string(effectiveUrl);
  visit(base);
  const LinkKind kind = detectPlaylist(contentType, body);
  if (kind == LinkKind::NotPlaylist) {
    return {Step::Kind::PlayStream, base, LinkError::None};
  }
  if (kind == LinkKind::Hls) {
    return {Step::Kind::PlayHls, base, LinkError::None};
  }
  FirstUrl entry = firstStreamUrl(kind, body, base, bodyComplete);
  if (entry.error != LinkError::None) {
    return {Step::Kind::Fail, {}, entry.error};
  }
  if (!visit(entry.url)) {
    return {Step::Kind::Fail, {}, LinkError::Loop};
  }
  if (m_depth >= m_maxDepth) {
    return {Step::Kind::Fail, {}, LinkError::DepthExceeded};
  }
  ++m_depth;
  m_currentUrl = std::move(entry.url);
  return {Step::Kind::Follow, m_currentUrl, LinkError::None};
}

}  // namespace qv::engine::playlist_link
