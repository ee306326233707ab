#include "engine.h"

#include "output.h"
#include "output_seam.h"
#include "stream.h"

#include <curl/curl.h>
extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace qv::engine {

namespace {

thread_local ErrorCode t_error = ErrorCode::Ok;

bool fail(ErrorCode code) {
  t_error = code;
  return false;
}
bool succeed() {
  t_error = ErrorCode::Ok;
  return true;
}

// Handles: slot index + 1 in the low 10 bits, the slot's generation above, so a freed handle
// never names the slot's next stream.
constexpr std::uint32_t kIndexBits = 10;
constexpr std::size_t kSlots = (1u << kIndexBits) - 1;

struct Slot {
  std::uint32_t generation = 1;
  std::shared_ptr<Stream> stream;
};

//! The engine's state. Locks: `mutex` and `effectsMutex` are never held together, and neither is
//! held while calling into a stream that may wait for its threads (shutdown, the output's
//! remove); a stream's own locks may be taken under `mutex` (wantsRetiring, setHandle are atomics).
struct EngineState {
  std::mutex mutex;
  bool initialised = false;  // mutex
  // One output for the life of the process, opened by init and closed by release: a stream freed
  // on another thread while the engine is released may still take itself out of it. Its own locks.
  Output output;
  std::array<Slot, kSlots> slots;                // mutex
  std::vector<std::shared_ptr<Stream>> retired;  // mutex: streams waiting to be joined
  std::uint32_t bufferMs = 500;                  // mutex
  bool playlistFollowing = false;                // mutex
  std::uint32_t netTimeoutMs = 10000;            // mutex
  std::string proxy;                             // mutex

  // Effects: an effect handle names an effect of one stream's chain. Its own lock, never held
  // together with `mutex`.
  struct Effect {
    Handle stream;
    qv::dsp::EffectHandle inChain;
  };
  std::mutex effectsMutex;
  std::unordered_map<Handle, Effect> effects;  // effectsMutex
  Handle lastEffect = 0;                       // effectsMutex
};

EngineState& engine() {
  static EngineState state;
  return state;
}

bool isInitialised() {
  EngineState& state = engine();
  std::lock_guard lock(state.mutex);
  return state.initialised;
}

Handle makeHandle(std::size_t index, std::uint32_t generation) {
  return (generation << kIndexBits) | static_cast<std::uint32_t>(index + 1);
}

//! The live stream of `handle`, or nullptr with BadHandle / NotInitialised.
std::shared_ptr<Stream> lookup(Handle handle) {
  EngineState& state = engine();
  std::lock_guard lock(state.mutex);
  if (!state.initialised) {
    t_error = ErrorCode::NotInitialised;
    return nullptr;
  }
  const std::uint32_t index = handle & ((1u << kIndexBits) - 1);
  if (index == 0) {
    t_error = ErrorCode::BadHandle;
    return nullptr;
  }
  Slot& slot = state.slots[index - 1];
  // A stream that freed itself (AutoFree) is gone for its callers, even before it is joined.
  if (!slot.stream || makeHandle(index - 1, slot.generation) != handle || slot.stream->wantsRetiring()) {
    t_error = ErrorCode::BadHandle;
    return nullptr;
  }
  return slot.stream;
}

//! Takes the stream out of its slot; false when the handle was not live.
std::shared_ptr<Stream> detach(Handle handle) {
  EngineState& state = engine();
  std::lock_guard lock(state.mutex);
  const std::uint32_t index = handle & ((1u << kIndexBits) - 1);
  if (!state.initialised || index == 0) {
    return nullptr;
  }
  Slot& slot = state.slots[index - 1];
  if (!slot.stream || makeHandle(index - 1, slot.generation) != handle) {
    return nullptr;
  }
  slot.generation = (slot.generation + 1) & ((1u << (32 - kIndexBits)) - 1);
  if (slot.generation == 0) {
    slot.generation = 1;
  }
  return std::move(slot.stream);
}

//! Forgets the effects of a freed stream: their handles fail from now on.
void forgetEffects(Handle stream) {
  EngineState& state = engine();
  std::lock_guard lock(state.effectsMutex);
  std::erase_if(state.effects, [stream](const auto& entry) { return entry.second.stream == stream; });
}

//! Gives an effect of `stream`'s chain its public handle.
Handle registerEffect(Handle stream, qv::dsp::EffectHandle inChain) {
  EngineState& state = engine();
  std::lock_guard lock(state.effectsMutex);
  Handle fx = 0;
  do {
    fx = ++state.lastEffect;
  } while (fx == 0 || state.effects.contains(fx));
  state.effects.emplace(fx, EngineState::Effect{stream, inChain});
  return fx;
}

//! Adds a start effect with its parameters to a stream not yet opened; kNoEffect when the type or a
//! value is refused (nothing is left added then).
qv::dsp::EffectHandle addStartEffect(Stream& stream, const StartEffect& effect) {
  qv::dsp::EffectChain& chain = stream.effects();
  qv::dsp::EffectHandle inChain = qv::dsp::kNoEffect;
  qv::dsp::EffectError set = qv::dsp::EffectError::unknownEffect;
  if (effect.type == EffectType::ParametricEq) {
    inChain = chain.addParametricEq(effect.priority);
    set = chain.setParameters(inChain, effect.eq);
  } else if (effect.type == EffectType::Reverb) {
    inChain = chain.addReverb(effect.priority);
    set = chain.setParameters(inChain, effect.reverb);
  }
  if (set != qv::dsp::EffectError::none) {
    chain.remove(inChain);
    return qv::dsp::kNoEffect;
  }
  return inChain;
}

//! Takes the stream out of the output; once no audio pass can use it, its level watch hears that
//! there is no level any more.
void leaveOutput(Stream& stream) {
  engine().output.remove(&stream);
  stream.levelGone();
}

void finish(const std::shared_ptr<Stream>& stream) {
  leaveOutput(*stream);
  stream->shutdown();
}

//! Retires a stream that cannot be joined from the calling thread; a later call joins it.
void retire(std::shared_ptr<Stream> stream) {
  leaveOutput(*stream);
  std::lock_guard lock(engine().mutex);
  engine().retired.push_back(std::move(stream));
}

//! Frees the streams that freed themselves (AutoFree) and joins those retired earlier. Called on
//! API threads only, never on a stream's own thread.
void reap() {
  EngineState& state = engine();
  std::vector<std::shared_ptr<Stream>> done;
  std::vector<Handle> ending;
  {
    std::lock_guard lock(state.mutex);
    if (!state.initialised) {
      return;
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
      if (state.slots[i].stream && state.slots[i].stream->wantsRetiring()) {
        ending.push_back(makeHandle(i, state.slots[i].generation));
      }
    }
    for (auto it = state.retired.begin(); it != state.retired.end();) {
      if (!(*it)->isOwnThread()) {
        done.push_back(std::move(*it));
        it = state.retired.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (Handle handle : ending) {
    if (auto stream = detach(handle)) {
      forgetEffects(handle);
      if (stream->isOwnThread()) {
        retire(std::move(stream));
      } else {
        finish(stream);
      }
    }
  }
  for (auto& stream : done) {
    stream->shutdown();
  }
}

}  // namespace

const char* errorName(ErrorCode code) {
  switch (code) {
    case ErrorCode::Ok:
      return "ok";
    case ErrorCode::NotInitialised:
      return "engine not initialised";
    case ErrorCode::AlreadyInitialised:
      return "engine already initialised";
    case ErrorCode::BadHandle:
      return "unknown or freed handle";
    case ErrorCode::OutputFailed:
      return "audio output cannot be opened";
    case ErrorCode::BadDevice:
      return "no such output device";
    case ErrorCode::BadParameter:
      return "bad parameter";
    case ErrorCode::BadUrl:
      return "bad or unsupported URL";
    case ErrorCode::NotAvailable:
      return "not available";
    case ErrorCode::ConnectFailed:
      return "connection failed";
    case ErrorCode::HttpStatus:
      return "server answered with an error status";
    case ErrorCode::Timeout:
      return "time-out";
    case ErrorCode::ProtocolError:
      return "malformed server answer";
    case ErrorCode::HeadersTooLarge:
      return "server headers too large";
    case ErrorCode::TooManyRedirects:
      return "too many redirects";
    case ErrorCode::BadIcyMetaint:
      return "malformed icy-metaint";
    case ErrorCode::ProxyRefused:
      return "proxy refused the connection";
    case ErrorCode::ClosedEarly:
      return "server closed before audio";
    case ErrorCode::TlsFailed:
      return "secure connection failed";
    case ErrorCode::UnsupportedFormat:
      return "unsupported format";
    case ErrorCode::NoCodec:
      return "no decoder for the format";
    case ErrorCode::DecodeFailed:
      return "decoding failed";
    case ErrorCode::PlaylistLoop:
      return "playlist link loops";
    case ErrorCode::PlaylistTooDeep:
      return "playlist links nested too deep";
    case ErrorCode::PlaylistEmpty:
      return "playlist link without a usable stream URL";
    case ErrorCode::SegmentsUnavailable:
      return "stream segments unavailable";
    case ErrorCode::BadHlsPlaylist:
      return "unusable HLS playlist";
    case ErrorCode::Unknown:
      return "unknown error";
  }
  return "unknown error";
}

std::uint32_t version() {
  return kVersion;
}

ErrorCode errorGetCode() {
  return t_error;
}

namespace {

// However the process ends (a library's exit() when the display goes away, the end of main), the
// streams' threads and the audio device stop before static objects are destroyed: registered after
// the engine's state exists, this runs before its destructor.
void releaseAtExit() {
  release();
}

//! init on device `device`, or on the one named `deviceName` when given.
bool initOutput(int device, const std::string* deviceName, int rateHz, std::uint32_t flags) {
  EngineState& state = engine();
  static std::once_flag atExit;
  std::call_once(atExit, [] { std::atexit(&releaseAtExit); });
  std::unique_lock lock(state.mutex);
  if (state.initialised) {
    return fail(ErrorCode::AlreadyInitialised);
  }
  if (device < -1 || (rateHz != kAutomaticRate && (rateHz < 8000 || rateHz > 384000))) {
    return fail(device < -1 ? ErrorCode::BadDevice : ErrorCode::BadParameter);
  }
  // Damaged frames are normal when joining a stream; the library reports errors by code instead.
  av_log_set_level(AV_LOG_QUIET);
  if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    return fail(ErrorCode::Unknown);
  }
  bool missing = false;
  const bool deferCheck = (flags & OutputOnFirstPlay) != 0;
  const ErrorCode opened = deviceName ? state.output.openNamed(*deviceName, rateHz, deferCheck, missing)
                                      : state.output.open(device, rateHz, deferCheck);
  if (opened != ErrorCode::Ok) {
    curl_global_cleanup();
    return fail(opened);
  }
  state.initialised = true;
  lock.unlock();
  if (missing) {
    state.output.tell(OutputChange::NamedDeviceMissing, *deviceName);
  }
  return succeed();
}

}  // namespace

bool init(int device, int rateHz, std::uint32_t flags) {
  return initOutput(device, nullptr, rateHz, flags);
}

bool initWithDevice(const std::string& deviceName, int rateHz, std::uint32_t flags) {
  return initOutput(-1, &deviceName, rateHz, flags);
}

std::vector<std::string> outputDevices() {
  return engine().output.deviceNames();
}

bool outputSetDevice(const std::string& deviceName) {
  if (!isInitialised()) {
    return fail(ErrorCode::NotInitialised);
  }
  if (!engine().output.moveTo(deviceName)) {
    engine().output.tell(OutputChange::NamedDeviceMissing, deviceName);
  }
  return succeed();
}

std::string outputGetDevice() {
  if (!isInitialised()) {
    fail(ErrorCode::NotInitialised);
    return {};
  }
  succeed();
  return engine().output.deviceName();
}

void setOutputWatch(OutputWatch watch) {
  engine().output.setWatch(std::move(watch));
}

void simulateOutputDeviceLoss() {
  engine().output.markLost();
}

int outputGetRate() {
  if (!isInitialised()) {
    fail(ErrorCode::NotInitialised);
    return 0;
  }
  succeed();
  return engine().output.rateHz();
}

bool release() {
  EngineState& state = engine();
  std::vector<std::shared_ptr<Stream>> streams;
  {
    std::lock_guard lock(state.mutex);
    if (!state.initialised) {
      return fail(ErrorCode::NotInitialised);
    }
    state.initialised = false;
    for (Slot& slot : state.slots) {
      if (slot.stream) {
        streams.push_back(std::move(slot.stream));
        ++slot.generation;
      }
    }
    for (auto& stream : state.retired) {
      streams.push_back(std::move(stream));
    }
    state.retired.clear();
  }
  {
    std::lock_guard lock(state.effectsMutex);
    state.effects.clear();
  }
  for (auto& stream : streams) {
    if (stream->isOwnThread()) {
      // Released from one of the stream's own threads (exit() in a sync callback): that thread
      // cannot join itself, so the stream is left to the end of the process.
      leaveOutput(*stream);
      static auto* const kept = new std::vector<std::shared_ptr<Stream>>();
      kept->push_back(std::move(stream));
      continue;
    }
    finish(stream);
  }
  streams.clear();
  state.output.close();
  curl_global_cleanup();
  return succeed();
}

bool setConfig(Config option, std::uint32_t value) {
  EngineState& state = engine();
  std::lock_guard lock(state.mutex);
  switch (option) {
    case Config::BufferMs:
      if (value > 60000) {
        return fail(ErrorCode::BadParameter);
      }
      state.bufferMs = value;
      return succeed();
    case Config::PlaylistFollowing:
      state.playlistFollowing = value != 0;
      return succeed();
    case Config::NetTimeoutMs:
      if (value < 100 || value > 600000) {
        return fail(ErrorCode::BadParameter);
      }
      state.netTimeoutMs = value;
      return succeed();
  }
  return fail(ErrorCode::BadParameter);
}

std::uint32_t getConfig(Config option) {
  EngineState& state = engine();
  std::lock_guard lock(state.mutex);
  t_error = ErrorCode::Ok;
  switch (option) {
    case Config::BufferMs:
      return state.bufferMs;
    case Config::PlaylistFollowing:
      return state.playlistFollowing ? 1 : 0;
    case Config::NetTimeoutMs:
      return state.netTimeoutMs;
  }
  t_error = ErrorCode::BadParameter;
  return UINT32_MAX;
}

bool setProxy(const char* proxy) {
  EngineState& state = engine();
  std::lock_guard lock(state.mutex);
  state.proxy = proxy ? proxy : "";
  return succeed();
}

Handle streamCreateUrl(const char* url, std::uint32_t flags, DownloadProc download, void* user) {
  return streamCreateUrlWith(url, flags, download, user, StreamStart{});
}

Handle streamCreateUrlWith(const char* url, std::uint32_t flags, DownloadProc download, void* user,
                           const StreamStart& start) {
  reap();
  const bool levellingValid = !start.levelling.enabled || (std::isfinite(start.levelling.targetLufs) &&
                                                           std::isfinite(start.levelling.initialGainDb));
  if (!(start.volume >= 0.0f && start.volume <= 1.0f) || (start.effectCount > 0 && start.effects == nullptr) ||
      !levellingValid) {
    fail(ErrorCode::BadParameter);
    return 0;
  }
  StreamSettings settings;
  {
    EngineState& state = engine();
    std::lock_guard lock(state.mutex);
    if (!state.initialised) {
      fail(ErrorCode::NotInitialised);
      return 0;
    }
    if (!url || !NetReader::supportedUrl(url)) {
      fail(ErrorCode::BadUrl);
      return 0;
    }
    settings.outputRateHz = state.output.rateHz();
    settings.output = &state.output;
    settings.bufferMs = state.bufferMs;
    settings.flags = flags;
    settings.net.url = url;
    settings.net.proxy = state.proxy;
    settings.net.dataTimeout = std::chrono::milliseconds(state.netTimeoutMs);
    settings.playlistFollowing = state.playlistFollowing;
  }
  auto stream = std::make_shared<Stream>(std::move(settings));
  // In place before the decoder starts, so the first sample mixed already has them.
  stream->setVolume(start.volume);
  stream->setLevelWatch(start.levelWatch);
  stream->setLevelling(start.levelling);
  std::vector<qv::dsp::EffectHandle> startEffects;
  for (std::size_t i = 0; i < start.effectCount; ++i) {
    const qv::dsp::EffectHandle inChain = addStartEffect(*stream, start.effects[i]);
    if (inChain == qv::dsp::kNoEffect) {
      stream->shutdown();
      fail(ErrorCode::BadParameter);
      return 0;
    }
    startEffects.push_back(inChain);
  }
  if (const ErrorCode opened = stream->open(download, user); opened != ErrorCode::Ok) {
    stream->shutdown();
    fail(opened);
    return 0;
  }
  EngineState& state = engine();
  Handle handle = 0;
  {
    std::lock_guard lock(state.mutex);
    if (state.initialised) {
      for (std::size_t i = 0; i < kSlots; ++i) {
        if (!state.slots[i].stream) {
          state.slots[i].stream = stream;
          handle = makeHandle(i, state.slots[i].generation);
          stream->setHandle(handle);
          break;
        }
      }
    }
  }
  if (handle == 0 || !state.output.add(stream.get())) {
    if (handle != 0) {
      detach(handle);
    }
    stream->shutdown();
    fail(handle == 0 && !isInitialised() ? ErrorCode::NotInitialised : ErrorCode::NotAvailable);
    return 0;
  }
  for (std::size_t i = 0; i < startEffects.size(); ++i) {
    const Handle fx = registerEffect(handle, startEffects[i]);
    if (start.effectHandles != nullptr) {
      start.effectHandles[i] = fx;
    }
  }
  succeed();
  return handle;
}

bool streamFree(Handle handle) {
  auto stream = detach(handle);
  if (!stream) {
    return fail(isInitialised() ? ErrorCode::BadHandle : ErrorCode::NotInitialised);
  }
  forgetEffects(handle);
  if (stream->isOwnThread()) {
    retire(std::move(stream));
  } else {
    finish(stream);
  }
  reap();
  return succeed();
}

bool channelPlay(Handle handle) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  Output& output = engine().output;
  if (output.running()) {
    stream->play();
    return succeed();
  }
  // The first play: the device runs from the stream's first sound on, so no silence is queued
  // ahead of it while the stream still fills its buffer.
  stream->play();
  // A station that sends a burst has its buffer filled within milliseconds of its first audio:
  // worth that wait, which spares trying the device below.
  stream->waitForFirstSound(std::chrono::milliseconds(50));
  bool waiting = false;
  ErrorCode started = stream->startOutputOnFirstSound(output, waiting);
  if (started == ErrorCode::Ok && waiting) {
    // Still buffering: a broken output fails this call, not the first sound later. Trying the
    // device takes a while, but the buffer fills meanwhile.
    started = output.check();
    if (started != ErrorCode::Ok) {
      stream->cancelOutputStart();
    }
  }
  if (started != ErrorCode::Ok) {
    stream->stop();
    return fail(started);
  }
  return succeed();
}

bool channelFadeOut(Handle handle, std::uint32_t ms) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  if (ms < 1 || ms > 10000) {
    return fail(ErrorCode::BadParameter);
  }
  const auto frames = static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms) * engine().output.rateHz() / 1000);
  if (!stream->fadeOut(std::max<std::uint32_t>(frames, 1)) && stream->wantsRetiring() && !stream->isOwnThread()) {
    stream.reset();
    reap();
  }
  return succeed();
}

bool channelStop(Handle handle) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  stream->stop();
  if (stream->wantsRetiring() && !stream->isOwnThread()) {
    stream.reset();
    reap();
  }
  return succeed();
}

bool channelPause(Handle handle) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  stream->pause();
  return succeed();
}

ChannelState channelIsActive(Handle handle) {
  auto stream = lookup(handle);
  if (!stream) {
    return ChannelState::Stopped;
  }
  succeed();
  return stream->state();
}

bool channelSetAttribute(Handle handle, Attribute attribute, float value) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  if (attribute != Attribute::Volume || !(value >= 0.0f && value <= 1.0f)) {
    return fail(ErrorCode::BadParameter);
  }
  stream->setVolume(value);
  return succeed();
}

bool channelGetAttribute(Handle handle, Attribute attribute, float* value) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  if (attribute != Attribute::Volume || !value) {
    return fail(ErrorCode::BadParameter);
  }
  *value = stream->volume();
  return succeed();
}

bool channelGetLevellingGain(Handle handle, float* gainDb) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  if (!gainDb) {
    return fail(ErrorCode::BadParameter);
  }
  return stream->levellingGain(*gainDb) ? succeed() : fail(ErrorCode::NotAvailable);
}

std::uint32_t channelGetLevel(Handle handle) {
  auto stream = lookup(handle);
  if (!stream) {
    return UINT32_MAX;
  }
  const std::uint32_t level = stream->level();
  if (level == UINT32_MAX) {
    fail(ErrorCode::NotAvailable);
  } else {
    succeed();
  }
  return level;
}

TagText channelGetTags(Handle handle, Tag tag) {
  auto stream = lookup(handle);
  if (!stream) {
    return nullptr;
  }
  TagText text = stream->tag(tag);
  if (text) {
    succeed();
  } else {
    fail(ErrorCode::NotAvailable);
  }
  return text;
}

bool channelGetInfo(Handle handle, ChannelInfo* info) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  if (!info) {
    return fail(ErrorCode::BadParameter);
  }
  *info = stream->info();
  return succeed();
}

int streamBufferingPercent(Handle handle) {
  auto stream = lookup(handle);
  if (!stream) {
    return -1;
  }
  succeed();
  return stream->bufferingPercent();
}

Handle channelSetSync(Handle handle, SyncType type, SyncProc proc, void* user) {
  auto stream = lookup(handle);
  if (!stream) {
    return 0;
  }
  if (!proc) {
    fail(ErrorCode::BadParameter);
    return 0;
  }
  succeed();
  return stream->addSync(type, proc, user);
}

bool channelRemoveSync(Handle handle, Handle sync) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  return stream->removeSync(sync) ? succeed() : fail(ErrorCode::BadHandle);
}

namespace {

ErrorCode toErrorCode(qv::dsp::EffectError error) {
  switch (error) {
    case qv::dsp::EffectError::none:
      return ErrorCode::Ok;
    case qv::dsp::EffectError::unknownEffect:
      return ErrorCode::BadHandle;
    case qv::dsp::EffectError::wrongEffectType:
    case qv::dsp::EffectError::outOfRange:
      return ErrorCode::BadParameter;
    case qv::dsp::EffectError::invalidFormat:
      return ErrorCode::Unknown;
  }
  return ErrorCode::Unknown;
}

//! The stream an effect belongs to and the effect's name in its chain; nullptr with an error code
//! when the effect or its stream is gone.
std::shared_ptr<Stream> lookupEffect(Handle fx, qv::dsp::EffectHandle* inChain) {
  EngineState& state = engine();
  Handle streamHandle = 0;
  {
    std::lock_guard lock(state.effectsMutex);
    const auto found = state.effects.find(fx);
    if (found != state.effects.end()) {
      streamHandle = found->second.stream;
      *inChain = found->second.inChain;
    }
  }
  if (streamHandle == 0) {
    t_error = isInitialised() ? ErrorCode::BadHandle : ErrorCode::NotInitialised;
    return nullptr;
  }
  return lookup(streamHandle);
}

template <typename Record>
bool setEffectParameters(Handle fx, const Record& parameters) {
  qv::dsp::EffectHandle inChain = qv::dsp::kNoEffect;
  auto stream = lookupEffect(fx, &inChain);
  if (!stream) {
    return false;
  }
  const ErrorCode result = toErrorCode(stream->effects().setParameters(inChain, parameters));
  return result == ErrorCode::Ok ? succeed() : fail(result);
}

template <typename Record>
bool getEffectParameters(Handle fx, Record* parameters) {
  qv::dsp::EffectHandle inChain = qv::dsp::kNoEffect;
  auto stream = lookupEffect(fx, &inChain);
  if (!stream) {
    return false;
  }
  if (!parameters) {
    return fail(ErrorCode::BadParameter);
  }
  const ErrorCode result = toErrorCode(stream->effects().getParameters(inChain, *parameters));
  return result == ErrorCode::Ok ? succeed() : fail(result);
}

}  // namespace

Handle channelSetFx(Handle handle, EffectType type, int priority) {
  auto stream = lookup(handle);
  if (!stream) {
    return 0;
  }
  qv::dsp::EffectHandle inChain = qv::dsp::kNoEffect;
  switch (type) {
    case EffectType::ParametricEq:
      inChain = stream->effects().addParametricEq(priority);
      break;
    case EffectType::Reverb:
      inChain = stream->effects().addReverb(priority);
      break;
  }
  if (inChain == qv::dsp::kNoEffect) {
    fail(type == EffectType::ParametricEq || type == EffectType::Reverb ? ErrorCode::Unknown : ErrorCode::BadParameter);
    return 0;
  }
  const Handle fx = registerEffect(handle, inChain);
  // The stream may have been freed meanwhile, after its effects were forgotten: forget this one too.
  if (!lookup(handle)) {
    EngineState& state = engine();
    std::lock_guard lock(state.effectsMutex);
    state.effects.erase(fx);
    t_error = ErrorCode::BadHandle;
    return 0;
  }
  succeed();
  return fx;
}

bool channelRemoveFx(Handle handle, Handle fx) {
  auto stream = lookup(handle);
  if (!stream) {
    return false;
  }
  EngineState& state = engine();
  qv::dsp::EffectHandle inChain = qv::dsp::kNoEffect;
  {
    std::lock_guard lock(state.effectsMutex);
    const auto found = state.effects.find(fx);
    if (found == state.effects.end() || found->second.stream != handle) {
      return fail(ErrorCode::BadHandle);
    }
    inChain = found->second.inChain;
    state.effects.erase(found);
  }
  const ErrorCode result = toErrorCode(stream->effects().remove(inChain));
  return result == ErrorCode::Ok ? succeed() : fail(result);
}

bool fxSetParameters(Handle fx, const qv::dsp::ParametricEqParameters& parameters) {
  return setEffectParameters(fx, parameters);
}
bool fxSetParameters(Handle fx, const qv::dsp::ReverbParameters& parameters) {
  return setEffectParameters(fx, parameters);
}
bool fxGetParameters(Handle fx, qv::dsp::ParametricEqParameters* parameters) {
  return getEffectParameters(fx, parameters);
}
bool fxGetParameters(Handle fx, qv::dsp::ReverbParameters* parameters) {
  return getEffectParameters(fx, parameters);
}

}  // namespace qv::engine
