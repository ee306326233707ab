#include "stream.h"

#include <algorithm>
#include <cmath>

namespace qv::engine {

namespace {

constexpr std::size_t kNetworkBufferBytes = 256 * 1024;
constexpr std::size_t kMixChunkFrames = 4096;
constexpr std::size_t kMinimumBufferMs = 100;
constexpr std::size_t kMaxPendingComments = 16;
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
  m_effects = std::make_shared<EffectStage>();
  addProcessingStage(m_effects, 0);
}

Stream::~Stream() {
  shutdown();
}

bool Stream::isOwnThread() const {
  const auto self = std::this_thread::get_id();
  return self == m_decodeThread.get_id() || self == m_netThreadId;
}

ErrorCode Stream::open(DownloadProc download, void* user) {
  m_net = std::make_unique<NetReader>(m_settings.net, m_bytes, [this](std::string text) { onMeta(std::move(text)); });
  m_net->start();
  m_answer = m_net->waitForAnswer();
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
  if (m_answer.error != ErrorCode::Ok) {
    return m_answer.error;
  }
  Decoder::Hooks hooks;
  hooks.oggComments = [this](std::vector<std::string> comments, bool first) {
    onOggComments(std::move(comments), first);
  };
  hooks.idle = [this] { deliverEvents(); };
  m_decoder = std::make_unique<Decoder>(m_bytes, m_settings.outputRateHz, m_settings.net.dataTimeout, std::move(hooks));
  const ErrorCode decoded = m_decoder->open(m_answer.contentType);
  if (decoded != ErrorCode::Ok) {
    // A transfer that failed explains more than the decoder that ran dry.
    const ErrorCode network = m_net->endError();
    if (decoded == ErrorCode::Timeout) {
      return decoded;
    }
    if (network != ErrorCode::Ok) {
      return network;
    }
    // Nothing arrived after the headers: no format to find.
    return m_net->bodyBytes() == 0 ? ErrorCode::ClosedEarly : decoded;
  }
  m_decodeThread = std::thread([this] { decodeLoop(); });
  return ErrorCode::Ok;
}

void Stream::shutdown() {
  if (m_shutDown.exchange(true)) {
    return;
  }
  m_stopping = true;
  m_state = kStopped;
  if (m_decoder) {
    m_decoder->abort();
  }
  m_bytes.close();
  if (m_decodeThread.joinable()) {
    m_decodeThread.join();
  }
  if (m_net) {
    m_net->stop();
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

void Stream::stop() {
  m_state = kStopped;
  if (m_settings.flags & AutoFree) {
    m_retire = true;
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
    sync.proc(sync.handle, m_handle, data, sync.user);
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

void Stream::addProcessingStage(std::shared_ptr<ProcessingStage> stage, int priority) {
  stage->prepare(m_settings.outputRateHz, PcmRing::kChannels);
  std::lock_guard lock(m_stageMutex);
  const auto at = std::find_if(m_stages.begin(), m_stages.end(), [&](const Stage& s) { return s.priority < priority; });
  m_stages.insert(at, {std::move(stage), priority});
}

void Stream::removeProcessingStage(const ProcessingStage* stage) {
  std::lock_guard lock(m_stageMutex);
  std::erase_if(m_stages, [&](const Stage& s) { return s.stage.get() == stage; });
}

void Stream::deliverEvents() {
  deliverHeardComments();
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
  {
    std::lock_guard lock(m_stageMutex);
    for (const Stage& stage : m_stages) {
      stage.stage->process(frames.data(), static_cast<int>(frames.size() / PcmRing::kChannels));
    }
  }
  std::size_t done = 0;
  const std::size_t total = frames.size() / PcmRing::kChannels;
  // The ring is full when a write falls short: sleep while half of it plays, so the decoder wakes
  // a few times a second instead of once per frame.
  const auto halfBufferMs =
      static_cast<long>(m_pcm.capacityFrames() * 500 / static_cast<std::size_t>(m_settings.outputRateHz));
  const auto sleepMs = std::chrono::milliseconds(std::clamp(halfBufferMs, 5L, 100L));
  while (done < total && !m_stopping) {
    done += m_pcm.write(frames.data() + done * PcmRing::kChannels, total - done);
    if (done < total) {
      deliverEvents();
      std::this_thread::sleep_for(sleepMs);
    }
  }
  frames.clear();
  return !m_stopping;
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
  // Let what is buffered be heard, then report the end (the callback raises kEndEvent).
  while (!m_stopping && !m_ended.load()) {
    deliverEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  deliverEvents();
}

void Stream::mix(float* mix, std::size_t frames) {
  std::uint8_t state = m_state.load(std::memory_order_acquire);
  if (state == kStalled) {
    const std::size_t have = m_pcm.availableFrames();
    if (have >= m_prebufferFrames || (m_decoderDone.load() && have > 0)) {
      if (m_state.compare_exchange_strong(state, kPlaying) && !m_firstBuffering.exchange(false)) {
        m_events.fetch_or(kResumeEvent);
      }
      state = kPlaying;
    } else if (m_decoderDone.load() && have == 0) {
      if (m_state.compare_exchange_strong(state, kStopped)) {
        m_ended = true;
        m_events.fetch_or(kEndEvent);
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
    for (std::size_t i = 0; i < got; ++i) {
      const float left = m_mixScratch[i * 2] * volume;
      const float right = m_mixScratch[i * 2 + 1] * volume;
      mix[(done + i) * 2] += left;
      mix[(done + i) * 2 + 1] += right;
      m_pieceLeft = std::max(m_pieceLeft, std::fabs(left));
      m_pieceRight = std::max(m_pieceRight, std::fabs(right));
      if (++m_pieceFramesDone >= pieceFrames) {
        m_peaks[m_peakPiece].store(toLevel(m_pieceLeft) | (toLevel(m_pieceRight) << 16), std::memory_order_relaxed);
        m_peakPiece = (m_peakPiece + 1) % m_peaks.size();
        m_pieceFramesDone = 0;
        m_pieceLeft = m_pieceRight = 0;
      }
    }
    done += got;
    if (got < want) {
      // Ran dry: either the end of the stream or a stall.
      std::uint8_t playing = kPlaying;
      if (m_decoderDone.load()) {
        if (m_state.compare_exchange_strong(playing, kStopped)) {
          m_ended = true;
          m_events.fetch_or(kEndEvent);
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
