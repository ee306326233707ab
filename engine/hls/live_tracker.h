#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "hls/media_playlist.h"

namespace qv::engine::hls {

//! Turns successive loads of one media playlist into the segments to fetch, in order, each
//! exactly once by media sequence number.
//!
//! The engine loads the playlist, parses it, passes it to update() and queues newSegments. While
//! ended() is false it loads the playlist again reloadDelay() after it began the previous load.
//! Once ended() is true it loads nothing more, plays out what it has queued and then ends.
class LivePlaylistTracker {
 public:
  //! A live stream starts this many target durations before the end of the list (RFC 8216
  //! 6.3.3), so a reload or two can be late without the buffer running dry.
  static constexpr double kLiveEdgeTargetDurations = 3;

  struct Update {
    std::vector<Segment> newSegments;
    std::uint64_t missedSegments = 0;  //!< left the window before they could be fetched
    bool restarted = false;            //!< numbering began anew; the first new segment is a discontinuity
  };

  Update update(const MediaPlaylist& playlist);

  //! #EXT-X-ENDLIST was seen: no more reloads.
  bool ended() const { return m_ended; }

  //! The target duration after a load that brought something new, half of it after one that did
  //! not (RFC 8216 6.3.4). One second before the first load.
  std::chrono::milliseconds reloadDelay() const { return m_reloadDelay; }

  //! Loads in a row that brought nothing new; the engine may give up on a stream that froze.
  std::size_t unchangedLoads() const { return m_unchangedLoads; }

 private:
  enum class Continuity { Continues, Restarted };

  Continuity continuityWith(const MediaPlaylist& playlist) const;
  static std::size_t liveEdgeIndex(const MediaPlaylist& playlist);
  void remember(const MediaPlaylist& playlist);
  void emitFrom(const MediaPlaylist& playlist, std::size_t index, Update& update);

  bool m_started = false;
  bool m_ended = false;
  std::uint64_t m_nextSequence = 0;
  std::chrono::milliseconds m_reloadDelay{1000};
  std::size_t m_unchangedLoads = 0;
  // Sequence number -> URI without its query, of the latest segments seen in any load. A number
  // that now names another URI means the server began its numbering anew.
  std::map<std::uint64_t, std::string> m_seen;
};

}  // namespace qv::engine::hls
