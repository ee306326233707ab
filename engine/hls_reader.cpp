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

ErrorCode HlsReader::produce() {
  const hls::HlsLimits limits;
  if (hls::classifyPlaylist(m_body) == hls::PlaylistKind::Master) {
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
  }

  hls::LivePlaylistTracker tracker;
  hls::SegmentRetryPolicy retries;
  std::deque<hls::Segment> queue;
  std::optional<hls::InitSection> writtenInit;  // the fMP4 header the decoder has already read
  bool discontinuityDue = false;                // a skipped segment began a new section
  int failedReloads = 0;
  bool firstLoad = true;
  bool loaded = true;  // m_body holds a playlist not parsed yet
  auto loadStarted = std::chrono::steady_clock::now();
  auto lastNewSegment = loadStarted;
  std::chrono::milliseconds frozenAfter = m_options.dataTimeout;

  while (!stopping()) {
    if (loaded) {
      const auto parsed = hls::parseMediaPlaylist(m_body, m_url, limits);
      if (parsed.ok()) {
        failedReloads = 0;
        auto update = tracker.update(parsed.playlist);
        if (!update.newSegments.empty()) {
          lastNewSegment = std::chrono::steady_clock::now();
        }
        for (auto& segment : update.newSegments) {
          queue.push_back(std::move(segment));
        }
        frozenAfter = std::max(m_options.dataTimeout,
                               std::chrono::milliseconds(std::chrono::seconds(parsed.playlist.targetDuration) *
                                                         kFrozenAfterTargetDurations));
      } else if (firstLoad || ++failedReloads > kMaxFailedReloads) {
        return playlistError(parsed.error);
      }
      firstLoad = false;
      loaded = false;
    }
    if (!tracker.ended() && queue.empty() && std::chrono::steady_clock::now() - lastNewSegment > frozenAfter) {
      return ErrorCode::Timeout;
    }

    // Fetch what is queued; a live playlist is reloaded on time even while segments wait.
    while (!queue.empty() && !stopping()) {
      if (!tracker.ended() && std::chrono::steady_clock::now() - loadStarted >= tracker.reloadDelay()) {
        break;
      }
      const hls::Segment& segment = queue.front();
      const bool newSection = segment.discontinuity || discontinuityDue;
      if (newSection) {
        writtenInit.reset();  // the decoder starts afresh there and needs the header again
      }
      std::string bytes;
      if (segment.initSection && segment.initSection != writtenInit) {
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
      if (fetched.error != ErrorCode::Ok ||
          (segment.initSection && segment.initSection != writtenInit && bytes.empty())) {
        const hls::RetryDecision decision = retries.onFailure();
        switch (decision.action) {
          case hls::RetryDecision::Action::RetryAfterDelay:
            if (!waitUnlessStopped(decision.delay)) {
              return ErrorCode::Ok;
            }
            continue;
          case hls::RetryDecision::Action::SkipSegment:
            discontinuityDue = discontinuityDue || segment.discontinuity;  // the next one starts the section
            queue.pop_front();
            continue;
          case hls::RetryDecision::Action::EndWithError:
            return ErrorCode::SegmentsUnavailable;
        }
      }
      retries.onSuccess();
      if (segment.initSection) {
        writtenInit = segment.initSection;
      }
      bytes += fetched.body;
      if (newSection) {
        // The format, codec or rate may change here: the decoder reopens at this point.
        m_ring.markBoundary();
        discontinuityDue = false;
      }
      m_segmentStart({bodyBytes(), segment.label});
      if (!write(bytes)) {
        return ErrorCode::Ok;  // the stream is stopping
      }
      queue.pop_front();
    }
    if (tracker.ended()) {
      if (queue.empty()) {
        return ErrorCode::Ok;
      }
      continue;  // nothing to reload: go on with the queue
    }
    const auto elapsed = std::chrono::steady_clock::now() - loadStarted;
    if (elapsed < tracker.reloadDelay() &&
        !waitUnlessStopped(std::chrono::duration_cast<std::chrono::milliseconds>(tracker.reloadDelay() - elapsed))) {
      return ErrorCode::Ok;
    }
    loadStarted = std::chrono::steady_clock::now();
    Fetched reloaded = fetchWhole(m_url, m_options, limits.maxBytes, stopFlag());
    if (reloaded.error != ErrorCode::Ok) {
      if (!stopping() && ++failedReloads > kMaxFailedReloads) {
        return reloaded.error;
      }
      continue;  // the queue plays on; the next reload may succeed
    }
    m_body = std::move(reloaded.body);
    loaded = true;
  }
  return ErrorCode::Ok;
}

}  // namespace qv::engine
