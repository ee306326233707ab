#include "hls_reader.h"

#include "http_fetch.h"

#include "hls/live_tracker.h"
#include "hls/master_playlist.h"
#include "hls/media_playlist.h"
#include "hls/segment_retry.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>

namespace qv::engine {

namespace {

// A live playlist that brings no new segment for this many target durations (and for at least
// the no-data time-out) has frozen: the station is off the air, and waiting longer would keep the
// listener in "buffering" for good.
constexpr int kFrozenAfterTargetDurations = 3;

ErrorCode playlistError(hls::ParseError error) {
  return error == hls::ParseError::UnsupportedEncryption ? ErrorCode::UnsupportedFormat : ErrorCode::BadHlsPlaylist;
}

std::optional<ByteSpan> spanOf(const std::optional<hls::ByteRange>& range) {
  if (!range) {
    return std::nullopt;
  }
  return ByteSpan{range->offset, range->length};
}

}  // namespace

HlsReader::HlsReader(NetOptions options, std::string playlistUrl, std::string playlistBody, ByteRing& ring,
                     SegmentSink segmentStart)
    : ByteSource(ring, "qv-hls"),
      m_options(std::move(options)),
      m_url(std::move(playlistUrl)),
      m_body(std::move(playlistBody)),
      m_segmentStart(std::move(segmentStart)) {}

HlsReader::~HlsReader() {
  stop();
}

bool HlsReader::write(const std::string& bytes) {
  const bool written = m_ring.write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (written) {
    addBodyBytes(bytes.size());
  }
  return written;
}

// One play of a media playlist: what the rounds of produce() hand on to each other.
struct HlsReader::Session {
  explicit Session(std::chrono::milliseconds dataTimeout) : frozenAfter(dataTimeout) {}

  hls::LivePlaylistTracker tracker;
  hls::SegmentRetryPolicy retries;
  std::deque<hls::Segment> queue;
  std::optional<hls::InitSection> writtenInit;  // the fMP4 header the decoder has already read
  bool discontinuityDue = false;                // a skipped segment began a new section
  int failedReloads = 0;
  bool firstLoad = true;
  bool loaded = true;  // m_body holds a playlist not parsed yet
  std::chrono::steady_clock::time_point loadStarted = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastNewSegment = loadStarted;
  std::chrono::milliseconds frozenAfter;
};

ErrorCode HlsReader::produce() {
  const hls::HlsLimits limits;
  if (const ErrorCode chosen = chooseVariant(limits); chosen != ErrorCode::Ok) {
    return chosen;
  }
  Session session(m_options.dataTimeout);
  while (!stopping()) {
    if (session.loaded) {
      if (const auto end = takePlaylist(session, limits)) {
        return *end;
      }
    }
    if (!session.tracker.ended() && session.queue.empty() &&
        std::chrono::steady_clock::now() - session.lastNewSegment > session.frozenAfter) {
      return ErrorCode::Timeout;
    }
    // Fetch what is queued; a live playlist is reloaded on time even while segments wait.
    while (!session.queue.empty() && !stopping()) {
      if (!session.tracker.ended() &&
          std::chrono::steady_clock::now() - session.loadStarted >= session.tracker.reloadDelay()) {
        break;
      }
      if (const auto end = fetchNextSegment(session)) {
        return *end;
      }
    }
    if (session.tracker.ended()) {
      if (session.queue.empty()) {
        return ErrorCode::Ok;
      }
      continue;  // nothing to reload: go on with the queue
    }
    if (const auto end = reloadWhenDue(session, limits)) {
      return *end;
    }
  }
  return ErrorCode::Ok;
}

ErrorCode HlsReader::chooseVariant(const hls::HlsLimits& limits) {
  if (hls::classifyPlaylist(m_body) != hls::PlaylistKind::Master) {
    return ErrorCode::Ok;
  }
  const auto master = hls::parseMasterPlaylist(m_body, m_url, limits);
  if (!master.ok()) {
    return playlistError(master.error);
  }
  const auto choice = hls::chooseAudioVariant(master.playlist);
  if (!choice) {
    return ErrorCode::BadHlsPlaylist;
  }
  const Fetched media = fetchWhole(choice->uri, m_options, limits.maxBytes, stopFlag());
  if (media.error != ErrorCode::Ok) {
    return media.error;
  }
  m_url = media.effectiveUrl;
  m_body = media.body;
  return ErrorCode::Ok;
}

std::optional<ErrorCode> HlsReader::takePlaylist(Session& session, const hls::HlsLimits& limits) {
  const auto parsed = hls::parseMediaPlaylist(m_body, m_url, limits);
  if (parsed.ok()) {
    session.failedReloads = 0;
    auto update = session.tracker.update(parsed.playlist);
    if (!update.newSegments.empty()) {
      session.lastNewSegment = std::chrono::steady_clock::now();
    }
    for (auto& segment : update.newSegments) {
      session.queue.push_back(std::move(segment));
    }
    session.frozenAfter = std::max(
        m_options.dataTimeout,
        std::chrono::milliseconds(std::chrono::seconds(parsed.playlist.targetDuration) * kFrozenAfterTargetDurations));
  } else if (session.firstLoad || ++session.failedReloads > kMaxFailedReloads) {
    return playlistError(parsed.error);
  }
  session.firstLoad = false;
  session.loaded = false;
  return std::nullopt;
}

std::optional<ErrorCode> HlsReader::fetchNextSegment(Session& session) {
  const hls::Segment& segment = session.queue.front();
  const bool newSection = segment.discontinuity || session.discontinuityDue;
  if (newSection) {
    session.writtenInit.reset();  // the decoder starts afresh there and needs the header again
  }
  const bool needsInit = segment.initSection && segment.initSection != session.writtenInit;
  std::string bytes;
  if (needsInit) {
    const Fetched init = fetchWhole(segment.initSection->uri, m_options, kMaxSegmentBytes, stopFlag(),
                                    spanOf(segment.initSection->byteRange));
    if (init.error == ErrorCode::Ok) {
      bytes = init.body;
    }
  }
  Fetched fetched = fetchWhole(segment.uri, m_options, kMaxSegmentBytes, stopFlag(), spanOf(segment.byteRange));
  if (stopping()) {
    return ErrorCode::Ok;
  }
  if (fetched.error != ErrorCode::Ok || (needsInit && bytes.empty())) {
    return onSegmentFailure(session);
  }
  session.retries.onSuccess();
  if (segment.initSection) {
    session.writtenInit = segment.initSection;
  }
  bytes += fetched.body;
  if (newSection) {
    // The format, codec or rate may change here: the decoder reopens at this point.
    m_ring.markBoundary();
    session.discontinuityDue = false;
  }
  m_segmentStart({bodyBytes(), segment.label});
  if (!write(bytes)) {
    return ErrorCode::Ok;  // the stream is stopping
  }
  session.queue.pop_front();
  return std::nullopt;
}

std::optional<ErrorCode> HlsReader::onSegmentFailure(Session& session) {
  const hls::RetryDecision decision = session.retries.onFailure();
  switch (decision.action) {
    case hls::RetryDecision::Action::RetryAfterDelay:
      if (!waitUnlessStopped(decision.delay)) {
        return ErrorCode::Ok;
      }
      return std::nullopt;
    case hls::RetryDecision::Action::SkipSegment:
      // The next one starts the section the skipped one began.
      session.discontinuityDue = session.discontinuityDue || session.queue.front().discontinuity;
      session.queue.pop_front();
      return std::nullopt;
    case hls::RetryDecision::Action::EndWithError:
      return ErrorCode::SegmentsUnavailable;
  }
  return std::nullopt;
}

std::optional<ErrorCode> HlsReader::reloadWhenDue(Session& session, const hls::HlsLimits& limits) {
  const auto elapsed = std::chrono::steady_clock::now() - session.loadStarted;
  const auto delay = session.tracker.reloadDelay();
  if (elapsed < delay && !waitUnlessStopped(std::chrono::duration_cast<std::chrono::milliseconds>(delay - elapsed))) {
    return ErrorCode::Ok;
  }
  session.loadStarted = std::chrono::steady_clock::now();
  Fetched reloaded = fetchWhole(m_url, m_options, limits.maxBytes, stopFlag());
  if (reloaded.error != ErrorCode::Ok) {
    if (!stopping() && ++session.failedReloads > kMaxFailedReloads) {
      return reloaded.error;
    }
    return std::nullopt;  // the queue plays on; the next reload may succeed
  }
  m_body = std::move(reloaded.body);
  session.loaded = true;
  return std::nullopt;
}

}  // namespace qv::engine
