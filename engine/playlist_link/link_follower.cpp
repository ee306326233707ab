#include "playlist_link/link_follower.h"

#include <utility>

#include "hls/url_resolver.h"

namespace qv::engine::playlist_link {

PlaylistLinkFollower::PlaylistLinkFollower(std::string stationUrl, int maxDepth)
    : currentUrl_(std::move(stationUrl)), maxDepth_(maxDepth) {
  visit(currentUrl_);
}

bool PlaylistLinkFollower::visit(std::string_view url) {
  const auto identity = urlIdentity(url);
  return visited_.insert(identity ? *identity : std::string(url)).second;
}

PlaylistLinkFollower::Step PlaylistLinkFollower::onResponse(std::string_view contentType, std::string_view body,
                                                            bool bodyComplete, std::string_view effectiveUrl) {
  const std::string base = effectiveUrl.empty() ? currentUrl_ : std::string(effectiveUrl);
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
  if (depth_ >= maxDepth_) {
    return {Step::Kind::Fail, {}, LinkError::DepthExceeded};
  }
  ++depth_;
  currentUrl_ = std::move(entry.url);
  return {Step::Kind::Follow, currentUrl_, LinkError::None};
}

}  // namespace qv::engine::playlist_link
