#include "stream.h"

#include "output.h"
#include "playlist_link/link_follower.h"
#include "thread_name.h"

#include <algorithm>
#include <cmath>

namespace qv::engine {

namespace {

constexpr std::size_t kNetworkBufferBytes = 256 * 1024;
constexpr std::size_t kMixChunkFrames = 4096;
constexpr std::size_t kMinimumBufferMs = 100;
constexpr std::size_t kMaxPendingComments = 16;
constexpr std::size_t kMaxPendingSegments = 256;
// Enough of a body whose Content-Type does not say audio to tell a playlist from the stream.
constexpr std::size_t kPeekBytes = 1024;
constexpr std::size_t kMaxHlsPlaylistBytes = 4 * 1024 * 1024;
// Bounds of the decoder's sleep on a full buffer; while a stalled stream waits to resume, it
// looks again this often so that the resume is told at once.
constexpr std::uint64_t kLongestDecoderSleepMs = 250;
constexpr std::uint64_t kShortestDecoderSleepMs = 5;
constexpr std::uint64_t kResumeWatchMs = 20;

ErrorCode linkError(playlist_link::LinkError error) {
  switch (error) {
    case playlist_link::LinkError::None:
      return ErrorCode::Ok;
    case playlist_link::LinkError::Loop:
      return ErrorCode::PlaylistLoop;
    case playlist_link::LinkError::DepthExceeded:
      return ErrorCode::PlaylistTooDeep;
    case playlist_link::LinkError::NoStreamUrl:
    case playlist_link::LinkError::TooLarge:
    case playlist_link::LinkError::InvalidUrl:
    case playlist_link::LinkError::UnsupportedScheme:
      return ErrorCode::PlaylistEmpty;
  }
  return ErrorCode::Unknown;
}
std::atomic<Handle> g_nextSyncHandle{1};

std::uint32_t toLevel(float peak) {
  return static_cast<std::uint32_t>(std::lround(std::clamp(peak, 0.0f, 1.0f) * 32768.0f));
}

}  // namespace

Stream::Stream(StreamSettings settings)
    : m_settings(std::move(settings)),
      m_bytes(kNetworkBufferBytes),
      m_pcm(static_cast<std::size_t>(m_settings.outputRateHz) *
            std::max<std::size_t>(m_settings.bufferMs, kMinimumBufferMs) / 1000),
      m_mixScratch(kMixChunkFrames * PcmRing::kChannels) {
  // Play starts when half the buffer is filled: quick to start, and a cushion against jitter.
  m_prebufferFrames = m_pcm.capacityFrames() / 2;
  m_effects.setFormat(m_settings.outputRateHz, PcmRing::kChannels);
}

Stream::~Stream() {
  shutdown();
}

bool Stream::isOwnThread() const {
  const auto self = std::this_thread::get_id();
  return self == m_decodeThreadId.load() || self == m_netThreadId.load();
}

ErrorCode Stream::readBody(std::string& body, std::size_t limit, bool& complete) {
  complete = false;
  const auto deadline = std::chrono::steady_clock::now() + m_settings.net.dataTimeout;
  std::uint8_t chunk[4096];
  while (body.size() < limit) {
    if (std::chrono::steady_clock::now() > deadline) {
      return ErrorCode::Timeout;
    }
    std::size_t got = 0;
    switch (m_bytes.read(chunk, std::min(sizeof chunk, limit - body.size()), got, std::chrono::milliseconds(50))) {
      case ByteRing::ReadStatus::Data:
        body.append(reinterpret_cast<const char*>(chunk), got);
        break;
      case ByteRing::ReadStatus::Finished:
        complete = true;
        return m_source->endError();
      case ByteRing::ReadStatus::Closed:
        return ErrorCode::ClosedEarly;
      case ByteRing::ReadStatus::TimedOut:
      case ByteRing::ReadStatus::Boundary:  // only HLS segments mark them, never a body read here
        break;
    }
  }
  return ErrorCode::Ok;
}

ErrorCode Stream::connect() {
  playlist_link::PlaylistLinkFollower follower(m_settings.net.url);
  NetOptions options = m_settings.net;
  while (true) {
    m_source.reset();  // its stop() closes the ring: before the ring is made ready for the next one
    m_bytes.reset();
    auto reader = std::make_unique<NetReader>(options, m_bytes, [this](std::string text) { onMeta(std::move(text)); });
    reader->start();
    m_answer = reader->waitForAnswer();
    m_source = std::move(reader);
    if (m_answer.error != ErrorCode::Ok || !playlist_link::mayBePlaylist(m_answer.contentType)) {
      return m_answer.error;
    }
    // The Content-Type does not say audio: a look at the body tells a playlist from the stream.
    std::string body;
    bool complete = false;
    if (const ErrorCode read = readBody(body, kPeekBytes, complete); read != ErrorCode::Ok && body.empty()) {
      return read;
    }
    const playlist_link::LinkKind kind = playlist_link::detectPlaylist(m_answer.contentType, body);
    if (kind == playlist_link::LinkKind::NotPlaylist) {
      m_bytes.unread(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
      return ErrorCode::Ok;
    }
    const bool hls = kind == playlist_link::LinkKind::Hls;
    if (!complete) {
      const std::size_t limit = hls ? kMaxHlsPlaylistBytes : playlist_link::kMaxPlaylistBytes;
      if (const ErrorCode read = readBody(body, limit, complete); read != ErrorCode::Ok) {
        return read;
      }
    }
    if (hls) {
      if (!complete) {
        return ErrorCode::BadHlsPlaylist;  // too large to be one we would play
      }
      m_source.reset();  // stops it and closes the ring: before the ring is made ready for the segments
      m_bytes.reset();
      options.url = m_answer.effectiveUrl.empty() ? options.url : m_answer.effectiveUrl;
      m_hls = true;
      m_source = std::make_unique<HlsReader>(options, options.url, std::move(body), m_bytes,
                                             [this](HlsReader::SegmentStart start) {
                                               std::lock_guard lock(m_segmentMutex);
                                               m_segmentStarts.push_back(std::move(start));
                                             });
      m_source->start();
      return ErrorCode::Ok;
    }
    if (!m_settings.playlistFollowing) {
      return ErrorCode::UnsupportedFormat;
    }
    const auto step = follower.onResponse(m_answer.contentType, body, complete, m_answer.effectiveUrl);
    switch (step.kind) {
      case playlist_link::PlaylistLinkFollower::Step::Kind::Follow:
        options.url = step.url;
        continue;
      case playlist_link::PlaylistLinkFollower::Step::Kind::Fail:
        return linkError(step.error);
      case playlist_link::PlaylistLinkFollower::Step::Kind::PlayStream:
      case playlist_link::PlaylistLinkFollower::Step::Kind::PlayHls:
        return ErrorCode::Unknown;  // told apart above already
    }
  }
}

ErrorCode Stream::open(DownloadProc download, void* user) {
  const ErrorCode connected = connect();
  if (m_answer.error == ErrorCode::Ok || m_answer.error == ErrorCode::HttpStatus) {
    m_tags.setList(m_answer.icyStatus ? Tag::Icy : Tag::Http, m_answer.headerLines);
    if (download) {
      std::string block;
      for (const std::string& line : m_answer.headerLines) {
        block.append(line).push_back('\0');
      }
      block.push_back('\0');
      download(block.data(), 0, user);
    }
  }
  if (connected != ErrorCode::Ok) {
    return connected;
  }
  Decoder::Hooks hooks;
  hooks.oggComments = [this](std::vector<std::string> comments, bool first) {
    onOggComments(std::move(comments), first);
  };
  hooks.idle = [this] { deliverEvents(); };
  if (m_hls) {
    hooks.packet = [this](std::int64_t position, std::uint64_t framesBefore) { onPacket(position, framesBefore); };
  }
  m_decoder = std::make_unique<Decoder>(m_bytes, m_settings.outputRateHz, m_settings.net.dataTimeout, std::move(hooks));
  // The segments of an HLS stream say their format by their content only.
  const ErrorCode decoded = m_decoder->open(m_hls ? std::string() : m_answer.contentType);
  if (decoded != ErrorCode::Ok) {
    // A transfer that failed explains more than the decoder that ran dry.
    const ErrorCode network = m_source->endError();
    if (decoded == ErrorCode::Timeout) {
      return decoded;
    }
    if (network != ErrorCode::Ok) {
      return network;
    }
    // Nothing arrived after the headers: no format to find.
    return m_source->bodyBytes() == 0 ? ErrorCode::ClosedEarly : decoded;
  }
  m_netThreadId = m_source->threadId();
  m_decodeThread = std::thread([this] {
    m_decodeThreadId = std::this_thread::get_id();
    nameThisThread("qv-decoder");
    decodeLoop();
  });
  return ErrorCode::Ok;
}

void Stream::shutdown() {
  if (m_shutDown.exchange(true)) {
    return;
  }
  {
    std::lock_guard lock(m_sleepMutex);  // a decoder about to sleep sees m_stopping, or is woken
    m_stopping = true;
  }
  m_sleepEnds.notify_all();
  m_state = kStopped;
  if (m_decoder) {
    m_decoder->abort();
  }
  m_bytes.close();
  if (m_decodeThread.joinable()) {
    m_decodeThread.join();
  }
  if (m_source) {
    m_source->stop();
  }
}

void Stream::play() {
  std::uint8_t state = m_state.load();
  if (state == kPlaying || state == kStalled) {
    return;
  }
  if (state == kPaused) {
    m_state.compare_exchange_strong(state, kPlaying);
    return;
  }
  m_firstBuffering = true;
  m_state.compare_exchange_strong(state, kStalled);
}

bool Stream::hasFirstSound() const {
  const std::size_t have = m_pcm.availableFrames();
  return have >= m_prebufferFrames || (m_decoderDone.load() && have > 0);
}

bool Stream::waitForFirstSound(std::chrono::milliseconds limit) const {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!hasFirstSound()) {
    if (m_stopping.load() || std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

ErrorCode Stream::startOutputOnFirstSound(Output& output, bool& waiting) {
  waiting = false;
  if (hasFirstSound()) {
    return output.start();
  }
  m_outputToStart.store(&output);
  // The decoder thread may have buffered enough before the request was in place.
  if (hasFirstSound()) {
    if (Output* now = m_outputToStart.exchange(nullptr)) {
      return now->start();
    }
  }
  waiting = true;
  return ErrorCode::Ok;
}

void Stream::startOutputIfSound() {
  if (m_outputToStart.load(std::memory_order_relaxed) == nullptr || !hasFirstSound()) {
    return;
  }
  Output* output = m_outputToStart.exchange(nullptr);
  if (output == nullptr || output->start() == ErrorCode::Ok) {
    return;
  }
  // Nothing can be heard: the stream ends as one whose sound ran out.
  std::uint8_t state = m_state.load();
  if (state != kStopped && m_state.compare_exchange_strong(state, kStopped)) {
    raiseEnd();
  }
}

void Stream::raiseEnd() {
  // The event before the flag: the decoder thread stops looking for events once it sees the flag,
  // so an event raised after it (the audio thread preempted between the two) would never be told.
  m_events.fetch_or(kEndEvent);
  m_ended = true;
}

void Stream::stop() {
  m_state = kStopped;
  if (m_settings.flags & AutoFree) {
    m_retire = true;
  }
}

bool Stream::fadeOut(std::uint32_t frames) {
  if (m_state.load() != kPlaying) {
    stop();
    return false;
  }
  std::uint32_t none = 0;
  m_fadeRequest.compare_exchange_strong(none, frames);
  return true;
}

bool Stream::applyFade(float* frames, std::size_t count) {
  const float total = static_cast<float>(m_fadeTotal);
  for (std::size_t i = 0; i < count; ++i) {
    const float gain = m_fadeLeft > 0 ? static_cast<float>(m_fadeLeft) / total : 0.0f;
    frames[i * 2] *= gain;
    frames[i * 2 + 1] *= gain;
    m_fadeLeft -= m_fadeLeft > 0 ? 1 : 0;
  }
  return m_fadeLeft == 0;
}

void Stream::endFade() {
  std::uint8_t state = m_state.load();
  if (state != kStopped) {
    m_state.compare_exchange_strong(state, kStopped);
  }
  if (m_settings.flags & AutoFree) {
    m_retire = true;
  }
  for (auto& peak : m_peaks) {
    peak.store(0, std::memory_order_relaxed);
  }
}

void Stream::pause() {
  std::uint8_t state = m_state.load();
  if (state == kPlaying || state == kStalled) {
    m_state.compare_exchange_strong(state, kPaused);
  }
}

std::uint32_t Stream::level() const {
  if (m_state.load() != kPlaying) {
    return UINT32_MAX;
  }
  std::uint32_t left = 0, right = 0;
  for (const auto& peak : m_peaks) {
    const std::uint32_t both = peak.load(std::memory_order_relaxed);
    left = std::max(left, both & 0xFFFFu);
    right = std::max(right, both >> 16);
  }
  return left | (right << 16);
}

int Stream::bufferingPercent() const {
  if (m_state.load() != kStalled || m_prebufferFrames == 0) {
    return 0;
  }
  const std::size_t have = std::min(m_pcm.availableFrames(), m_prebufferFrames);
  return static_cast<int>(100 - have * 100 / m_prebufferFrames);
}

ChannelInfo Stream::info() const {
  ChannelInfo info;
  if (m_decoder) {
    info.rateHz = m_decoder->sourceRateHz();
    info.channels = m_decoder->sourceChannels();
    info.bitrateKbps = m_decoder->bitrateKbps();
    info.codec = m_decoder->codecName();
  }
  return info;
}

Handle Stream::addSync(SyncType type, SyncProc proc, void* user) {
  const Handle handle = g_nextSyncHandle.fetch_add(1);
  std::lock_guard lock(m_syncMutex);
  m_syncs.push_back({handle, type, proc, user});
  return handle;
}

bool Stream::removeSync(Handle sync) {
  std::lock_guard lock(m_syncMutex);
  const auto found = std::find_if(m_syncs.begin(), m_syncs.end(), [&](const Sync& s) { return s.handle == sync; });
  if (found == m_syncs.end()) {
    return false;
  }
  m_syncs.erase(found);
  return true;
}

void Stream::fire(SyncType type, std::uint32_t data) {
  std::vector<Sync> matching;
  {
    std::lock_guard lock(m_syncMutex);
    for (const Sync& sync : m_syncs) {
      if (sync.type == type) {
        matching.push_back(sync);
      }
    }
  }
  for (const Sync& sync : matching) {
    if (m_stopping) {
      return;
    }
    sync.proc(sync.handle, m_handle.load(), data, sync.user);
  }
}

void Stream::onMeta(std::string text) {
  m_tags.set(Tag::Meta, std::move(text));
  fire(SyncType::Meta, 0);
}

void Stream::onOggComments(std::vector<std::string> comments, bool first) {
  if (first) {
    m_tags.setList(Tag::Ogg, comments);
    return;
  }
  // The decoder reads ahead by the buffer: the change is told when its audio is heard. Logical
  // streams without audio could pile up here; beyond a few, the older ones are never heard anyway.
  if (m_pendingComments.size() >= kMaxPendingComments) {
    m_pendingComments.pop_front();
  }
  m_pendingComments.push_back({m_pcm.writtenTotal(), std::move(comments)});
}

void Stream::deliverHeardComments() {
  while (!m_pendingComments.empty() && m_pcm.readTotal() >= m_pendingComments.front().atFrame) {
    m_tags.setList(Tag::Ogg, m_pendingComments.front().comments);
    m_pendingComments.pop_front();
    fire(SyncType::OggChange, 0);
  }
}

void Stream::onPacket(std::int64_t position, std::uint64_t framesBefore) {
  std::lock_guard lock(m_segmentMutex);
  while (!m_segmentStarts.empty() && static_cast<std::int64_t>(m_segmentStarts.front().byteOffset) <= position) {
    if (m_pendingSegments.size() >= kMaxPendingSegments) {
      m_pendingSegments.pop_front();
    }
    m_pendingSegments.push_back({framesBefore, std::move(m_segmentStarts.front().label)});
    m_segmentStarts.pop_front();
  }
}

void Stream::deliverHeardSegments() {
  // Heard once the audio callback has taken its first frame.
  while (!m_pendingSegments.empty() && m_pcm.readTotal() > m_pendingSegments.front().atFrame) {
    m_tags.set(Tag::HlsExtinf, std::move(m_pendingSegments.front().label));
    m_pendingSegments.pop_front();
    fire(SyncType::HlsSegment, 0);
  }
}

void Stream::deliverEvents() {
  startOutputIfSound();
  if (m_settings.output != nullptr) {
    m_settings.output->recoverIfLost();
  }
  deliverHeardComments();
  deliverHeardSegments();
  const std::uint32_t events = m_events.exchange(0);
  if (events & kStallEvent) {
    fire(SyncType::Stall, 0);
  }
  if (events & kResumeEvent) {
    fire(SyncType::Stall, 1);
  }
  if (events & kEndEvent) {
    fire(SyncType::End, 0);
    if (m_settings.flags & AutoFree) {
      m_retire = true;
    }
  }
}

bool Stream::push(std::vector<float>& frames) {
  std::size_t done = 0;
  const std::size_t total = frames.size() / PcmRing::kChannels;
  m_effects.process(frames.data(), total, PcmRing::kChannels);
  if (m_leveller) {
    m_leveller->process(frames.data(), total);
  }
  // The ring is full when a write falls short: the decoder sleeps, then decodes a long stretch in
  // one go. Waking a few times a second instead of for every frame keeps its code and tables
  // warm in the cache, which costs less than the decoding itself.
  while (done < total && !m_stopping) {
    done += m_pcm.write(frames.data() + done * PcmRing::kChannels, total - done);
    if (done < total) {
      deliverEvents();
      sleepUnlessStopping(fullBufferSleep());
    }
  }
  frames.clear();
  return !m_stopping;
}

std::chrono::milliseconds Stream::fullBufferSleep() const {
  const auto rate = static_cast<std::uint64_t>(m_settings.outputRateHz);
  const std::uint64_t heard = m_pcm.readTotal();
  auto untilHeard = [&](std::uint64_t atFrame) { return atFrame > heard ? (atFrame - heard) * 1000 / rate : 0; };
  std::uint64_t ms = std::min<std::uint64_t>(m_pcm.capacityFrames() / 2 * 1000 / rate, kLongestDecoderSleepMs);
  if (m_state.load() == kStalled) {
    ms = std::min<std::uint64_t>(ms, kResumeWatchMs);
  }
  if (!m_pendingComments.empty()) {
    ms = std::min(ms, untilHeard(m_pendingComments.front().atFrame));
  }
  if (!m_pendingSegments.empty()) {
    ms = std::min(ms, untilHeard(m_pendingSegments.front().atFrame + 1));
  }
  return std::chrono::milliseconds(std::max<std::uint64_t>(ms, kShortestDecoderSleepMs));
}

void Stream::sleepUnlessStopping(std::chrono::milliseconds duration) {
  std::unique_lock lock(m_sleepMutex);
  m_sleepEnds.wait_for(lock, duration, [this] { return m_stopping.load(); });
}

void Stream::decodeLoop() {
  std::vector<float> frames;
  while (!m_stopping) {
    const Decoder::Result result = m_decoder->decode(frames);
    if (result != Decoder::Result::Audio) {
      break;
    }
    if (!push(frames)) {
      return;
    }
    deliverEvents();
  }
  m_decoderDone = true;
  // Let what is buffered be heard, then report the end (the callback raises kEndEvent, then sets
  // m_ended, so the last pass below finds the event).
  while (!m_stopping && !m_ended.load()) {
    deliverEvents();
    sleepUnlessStopping(std::chrono::milliseconds(10));
  }
  deliverEvents();
}

void Stream::mix(float* mix, std::size_t frames) {
  mixPass(mix, frames);
  if (m_levelWatch) {
    const std::uint32_t now = level();
    if (now != m_watchedLevel) {
      m_watchedLevel = now;
      m_levelWatch(now);
    }
  }
}

void Stream::setLevelling(const qv::dsp::LevellingParameters& parameters) {
  if (parameters.enabled) {
    m_leveller = std::make_unique<qv::dsp::LoudnessLeveller>(m_settings.outputRateHz, parameters);
  }
}

bool Stream::levellingGain(float& gainDb) const {
  if (!m_leveller || !m_leveller->enabled()) {
    return false;
  }
  gainDb = m_leveller->gainDb();
  return true;
}

void Stream::levelGone() {
  if (m_levelWatch && m_watchedLevel != UINT32_MAX) {
    m_watchedLevel = UINT32_MAX;
    m_levelWatch(UINT32_MAX);
  }
}

void Stream::mixPass(float* mix, std::size_t frames) {
  std::uint8_t state = m_state.load(std::memory_order_acquire);
  if (m_fadeTotal == 0) {
    m_fadeTotal = m_fadeLeft = m_fadeRequest.load(std::memory_order_relaxed);
  }
  if (m_fadeTotal != 0 && state != kPlaying) {
    // Stalled or paused while fading: nothing more to fade.
    if (state != kStopped) {
      endFade();
    }
    return;
  }
  if (state == kStalled) {
    const std::size_t have = m_pcm.availableFrames();
    if (have >= m_prebufferFrames || (m_decoderDone.load() && have > 0)) {
      if (m_state.compare_exchange_strong(state, kPlaying) && !m_firstBuffering.exchange(false)) {
        m_events.fetch_or(kResumeEvent);
      }
      state = kPlaying;
    } else if (m_decoderDone.load() && have == 0) {
      if (m_state.compare_exchange_strong(state, kStopped)) {
        raiseEnd();
      }
      return;
    }
  }
  if (state != kPlaying) {
    return;
  }
  const float volume = m_volume.load(std::memory_order_relaxed);
  const std::size_t pieceFrames = static_cast<std::size_t>(m_settings.outputRateHz) / 200;
  std::size_t done = 0;
  while (done < frames) {
    const std::size_t want = std::min(frames - done, kMixChunkFrames);
    const std::size_t got = m_pcm.read(m_mixScratch.data(), want);
    const bool faded = m_fadeTotal != 0 && applyFade(m_mixScratch.data(), got);
    // In runs that end where a level piece ends, so the inner loop has no branch.
    for (std::size_t i = 0; i < got;) {
      const std::size_t run = std::min(got - i, pieceFrames - m_pieceFramesDone);
      const float* in = m_mixScratch.data() + i * 2;
      float* out = mix + (done + i) * 2;
      float peakLeft = m_pieceLeft, peakRight = m_pieceRight;
      for (std::size_t k = 0; k < run; ++k) {
        const float left = in[k * 2] * volume;
        const float right = in[k * 2 + 1] * volume;
        out[k * 2] += left;
        out[k * 2 + 1] += right;
        peakLeft = std::max(peakLeft, std::fabs(left));
        peakRight = std::max(peakRight, std::fabs(right));
      }
      m_pieceLeft = peakLeft;
      m_pieceRight = peakRight;
      m_pieceFramesDone += run;
      i += run;
      if (m_pieceFramesDone >= pieceFrames) {
        m_peaks[m_peakPiece].store(toLevel(m_pieceLeft) | (toLevel(m_pieceRight) << 16), std::memory_order_relaxed);
        m_peakPiece = (m_peakPiece + 1) % m_peaks.size();
        m_pieceFramesDone = 0;
        m_pieceLeft = m_pieceRight = 0;
      }
    }
    done += got;
    if (faded) {
      endFade();
      return;
    }
    if (got < want) {
      // Ran dry: either the end of the stream or a stall.
      std::uint8_t playing = kPlaying;
      if (m_decoderDone.load()) {
        if (m_state.compare_exchange_strong(playing, kStopped)) {
          raiseEnd();
        }
      } else if (m_state.compare_exchange_strong(playing, kStalled)) {
        m_events.fetch_or(kStallEvent);
      }
      for (auto& peak : m_peaks) {
        peak.store(0, std::memory_order_relaxed);
      }
      return;
    }
  }
}

}  // namespace qv::engine
