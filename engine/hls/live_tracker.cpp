#include "hls/live_tracker.h"

#include <algorithm>
#include <string_view>

namespace qv::engine::hls {
namespace {

// Enough to overlap any sane sliding window, bounded for lists that only grow.
constexpr std::size_t kRememberedSegments = 512;

// CDNs sign segment URIs with tokens that change from load to load; the path names the segment.
std::string withoutQuery(const std::string& uri) {
  return uri.substr(0, uri.find('?'));
}

}  // namespace

LivePlaylistTracker::Continuity LivePlaylistTracker::continuityWith(const MediaPlaylist& playlist) const {
  bool overlaps = false;
  for (const Segment& segment : playlist.segments) {
    const auto known = m_seen.find(segment.sequence);
    if (known == m_seen.end()) {
      continue;
    }
    if (known->second != withoutQuery(segment.uri)) {
      return Continuity::Restarted;
    }
    overlaps = true;
  }
  if (overlaps) {
    return Continuity::Continues;
  }
  // No segment in common: a window that moved past us (we were slow) continues; one that lies
  // wholly behind what we played restarted its numbering.
  return playlist.segments.back().sequence + 1 >= m_nextSequence ? Continuity::Continues : Continuity::Restarted;
}

std::size_t LivePlaylistTracker::liveEdgeIndex(const MediaPlaylist& playlist) {
  const double wanted = kLiveEdgeTargetDurations * playlist.targetDuration;
  double fromEnd = 0;
  for (std::size_t i = playlist.segments.size(); i > 0; --i) {
    fromEnd += playlist.segments[i - 1].duration;
    if (fromEnd >= wanted) {
      return i - 1;
    }
  }
  return 0;
}

void LivePlaylistTracker::remember(const MediaPlaylist& playlist) {
  const std::size_t count = playlist.segments.size();
  const std::size_t first = count > kRememberedSegments ? count - kRememberedSegments : 0;
  for (std::size_t i = first; i < count; ++i) {
    m_seen[playlist.segments[i].sequence] = withoutQuery(playlist.segments[i].uri);
  }
  while (m_seen.size() > kRememberedSegments) {
    m_seen.erase(m_seen.begin());
  }
}

void LivePlaylistTracker::emitFrom(const MediaPlaylist& playlist, std::size_t index, Update& update) {
  for (std::size_t i = index; i < playlist.segments.size(); ++i) {
    update.newSegments.push_back(playlist.segments[i]);
  }
  if (!update.newSegments.empty()) {
    m_nextSequence = update.newSegments.back().sequence + 1;
  }
}

LivePlaylistTracker::Update LivePlaylistTracker::update(const MediaPlaylist& playlist) {
  Update result;
  if (m_ended) {
    return result;
  }
  if (playlist.segments.empty()) {
    // Nothing to play yet; keep the numbering we have.
  } else if (!m_started || continuityWith(playlist) == Continuity::Restarted) {
    result.restarted = m_started;
    if (m_started) {
      m_seen.clear();
    }
    // A list that is complete is played from its start; a live one near its end.
    emitFrom(playlist, playlist.endList ? 0 : liveEdgeIndex(playlist), result);
    if (result.restarted && !result.newSegments.empty()) {
      result.newSegments.front().discontinuity = true;
    }
    m_started = true;
  } else {
    const auto firstNew = std::find_if(playlist.segments.begin(), playlist.segments.end(),
                                       [this](const Segment& segment) { return segment.sequence >= m_nextSequence; });
    if (firstNew != playlist.segments.end() && firstNew->sequence > m_nextSequence) {
      result.missedSegments = firstNew->sequence - m_nextSequence;
    }
    emitFrom(playlist, static_cast<std::size_t>(firstNew - playlist.segments.begin()), result);
  }
  remember(playlist);

  m_ended = playlist.endList;
  m_unchangedLoads = result.newSegments.empty() ? m_unchangedLoads + 1 : 0;
  const std::chrono::milliseconds target{std::chrono::seconds(std::max<std::uint32_t>(playlist.targetDuration, 1))};
  m_reloadDelay = result.newSegments.empty() ? target / 2 : target;
  return result;
}

}  // namespace qv::engine::hls
