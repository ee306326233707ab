#include "output.h"

#include "sdl_audio_start.h"
#include "stream.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace qv::engine {

namespace {

//! Clamped to full scale, then rounded to the nearest 16-bit step (plain arithmetic, no call into
//! the maths library for each sample).
std::int16_t toSample(float value) {
  const float scaled = (value > 1.0f ? 1.0f : (value < -1.0f ? -1.0f : value)) * 32767.0f;
  return static_cast<std::int16_t>(scaled + (scaled >= 0.0f ? 0.5f : -0.5f));
}

//! What the device is asked for: 16-bit stereo at the output rate. 16-bit is what sound cards and
//! ALSA's default device take as they are: asked for floats, the system converts every sample;
//! our own conversion at the end of the mix costs next to nothing.
SDL_AudioSpec outputSpec(int rateHz, Uint16 periodFrames) {
  SDL_AudioSpec wanted{};
  wanted.freq = rateHz;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = periodFrames;
  return wanted;
}

constexpr int kFallbackRateHz = 48000;

//! How the sound server lists us; read when SDL's audio starts.
void setNameHints() {
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Quorventale");
  SDL_SetHint(SDL_HINT_APP_NAME, "Quorventale");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "music");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Quorventale");
}

}  // namespace

ErrorCode Output::openNamed(const std::string& name, int rateHz, bool deferCheck, bool& missing) {
  missing = false;
  if (name.empty()) {
    return open(-1, rateHz, deferCheck);
  }
  {
    std::lock_guard lock(m_deviceMutex);
    setNameHints();
    if (startSdlAudio() != 0) {
      return ErrorCode::OutputFailed;
    }
    const int index = deviceIndex(name);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);  // open starts it again; SDL counts the starts
    missing = index == 0;
    if (!missing) {
      return openLocked(index, rateHz, deferCheck);
    }
  }
  return open(-1, rateHz, deferCheck);
}

int Output::deviceIndex(const std::string& name) {
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* reported = SDL_GetAudioDeviceName(i, 0);
    if (reported != nullptr && name == reported) {
      return i + 1;
    }
  }
  return 0;
}

std::vector<std::string> Output::deviceNames() {
  std::lock_guard lock(m_deviceMutex);
  // Before set-up (or without output) SDL's audio is started just to ask.
  if (!m_sdlStarted) {
    setNameHints();
  }
  const bool started = m_sdlStarted || startSdlAudio() == 0;
  std::vector<std::string> names;
  if (!started) {
    return names;
  }
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    if (const char* name = SDL_GetAudioDeviceName(i, 0)) {
      names.emplace_back(name);
    }
  }
  if (!m_sdlStarted) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  return names;
}

std::string Output::deviceName() {
  std::lock_guard lock(m_deviceMutex);
  return m_deviceName.value_or(std::string());
}

bool Output::moveTo(const std::string& name) {
  std::lock_guard lock(m_deviceMutex);
  if (!m_sdlStarted) {
    return name.empty();  // no output: there is nothing to move
  }
  const bool known = name.empty() || deviceIndex(name) != 0;
  std::optional<std::string> wanted;
  if (!name.empty() && known) {
    wanted = name;
  }
  if (wanted == m_deviceName && m_device != 0) {
    return known;
  }
  m_deviceName = wanted;
  m_checkResult.reset();
  if (m_device != 0) {
    SDL_CloseAudioDevice(m_device.exchange(0));  // joins SDL's audio thread; the streams stay
    m_lost = false;
    if (openDevice()) {
      SDL_PauseAudioDevice(m_device, 0);
    }
  }
  return known;
}

void Output::setWatch(std::function<void(OutputChange, const std::string&)> watch) {
  std::lock_guard lock(m_watchMutex);
  m_watch = std::move(watch);
}

void Output::tell(OutputChange change, const std::string& deviceName) {
  std::function<void(OutputChange, const std::string&)> watch;
  {
    std::lock_guard lock(m_watchMutex);
    watch = m_watch;
  }
  if (watch) {
    watch(change, deviceName);
  }
}

void Output::recoverIfLost() {
  if (!m_lost.load(std::memory_order_relaxed)) {
    return;
  }
  std::string gone;
  {
    std::lock_guard lock(m_deviceMutex);
    if (!m_lost.exchange(false) || m_device == 0) {
      return;
    }
    gone = m_deviceName.value_or(std::string());
    SDL_CloseAudioDevice(m_device.exchange(0));
    // The default again when the default went: the sound server usually has another by now. When
    // nothing opens, the next play tries again.
    m_deviceName.reset();
    m_checkResult.reset();
    if (openDevice()) {
      SDL_PauseAudioDevice(m_device, 0);
    }
  }
  tell(OutputChange::DeviceRemoved, gone);
}

ErrorCode Output::open(int device, int rateHz, bool deferCheck) {
  std::lock_guard lock(m_deviceMutex);
  return openLocked(device, rateHz, deferCheck);
}

ErrorCode Output::openLocked(int device, int rateHz, bool deferCheck) {
  m_rateHz = rateHz == 0 ? kFallbackRateHz : rateHz;
  if (device == 0) {
    return ErrorCode::Ok;  // no sound: streams decode, nothing is heard
  }
  setNameHints();
  if (startSdlAudio() != 0) {
    return ErrorCode::OutputFailed;
  }
  m_sdlStarted = true;
  m_deviceName.reset();
  if (device > 0) {
    if (device > SDL_GetNumAudioDevices(0)) {
      closeLocked();
      return ErrorCode::BadDevice;
    }
    m_deviceName = SDL_GetAudioDeviceName(device - 1, 0);
  }
  if (rateHz == 0) {
    m_rateHz = deviceRateLocked(device);
  }
  // The device is tried now, so that a broken output fails here, and opened for good when the
  // first stream has sound: a device that runs before there is audio queues silence ahead of it.
  // With deferCheck it is tried only if the first play comes before its stream has sound.
  if (deferCheck) {
    return ErrorCode::Ok;
  }
  // The automatic rate's look at the device may have tried it already.
  if ((m_checkResult ? *m_checkResult : tryDeviceLocked()) != ErrorCode::Ok) {
    closeLocked();
    return ErrorCode::OutputFailed;
  }
  return ErrorCode::Ok;
}

int Output::deviceRateLocked(int device) {
  SDL_AudioSpec reported{};
  const int asked =
      device > 0 ? SDL_GetAudioDeviceSpec(device - 1, 0, &reported) : SDL_GetDefaultAudioInfo(nullptr, &reported, 0);
  if (asked == 0 && reported.freq >= 8000 && reported.freq <= 384000) {
    return reported.freq;
  }
  // Not every driver tells (ALSA, the disk and dummy outputs): the device is opened once, allowed
  // to pick its rate, and closed again.
  SDL_AudioSpec wanted = outputSpec(kFallbackRateHz, 256);
  SDL_AudioSpec obtained{};
  const SDL_AudioDeviceID tried = SDL_OpenAudioDevice(m_deviceName ? m_deviceName->c_str() : nullptr, 0, &wanted,
                                                      &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (tried == 0) {
    m_checkResult = ErrorCode::OutputFailed;  // told by open, or by the first play when deferred
    return kFallbackRateHz;
  }
  SDL_CloseAudioDevice(tried);
  m_checkResult = ErrorCode::Ok;
  return obtained.freq >= 8000 && obtained.freq <= 384000 ? obtained.freq : kFallbackRateHz;
}

ErrorCode Output::check() {
  std::lock_guard lock(m_deviceMutex);
  if (!m_sdlStarted || m_device != 0) {
    return ErrorCode::Ok;
  }
  return m_checkResult ? *m_checkResult : tryDeviceLocked();
}

ErrorCode Output::tryDeviceLocked() {
  // The same device and format with a short period and no callback (so no stream is mixed into
  // it): closing waits for two periods to drain, 11 ms here instead of 85 at the real period.
  SDL_AudioSpec wanted = outputSpec(m_rateHz, 256);
  const SDL_AudioDeviceID tried =
      SDL_OpenAudioDevice(m_deviceName ? m_deviceName->c_str() : nullptr, 0, &wanted, nullptr, 0);
  if (tried == 0) {
    m_checkResult = ErrorCode::OutputFailed;
  } else {
    SDL_CloseAudioDevice(tried);
    m_checkResult = ErrorCode::Ok;
  }
  return *m_checkResult;
}

bool Output::openDevice() {
  // A period of about 43 ms at 48 kHz: the first period is filled at once, so the first sound is
  // not later, and the callback (with the sound server's thread behind it) wakes half as often as
  // at 1024.
  SDL_AudioSpec wanted = outputSpec(m_rateHz, 2048);
  wanted.callback = &Output::callback;
  wanted.userdata = this;
  // SDL converts to what the device takes, and keeps the period we asked for: the mix buffer is
  // sized before the device runs, so the callback never allocates.
  m_mix.assign(static_cast<std::size_t>(wanted.samples) * 2, 0.0f);
  SDL_AudioSpec obtained{};
  m_device = SDL_OpenAudioDevice(m_deviceName ? m_deviceName->c_str() : nullptr, 0, &wanted, &obtained, 0);
  return m_device != 0;
}

ErrorCode Output::start() {
  std::lock_guard lock(m_deviceMutex);
  if (!m_sdlStarted || m_device != 0) {
    return ErrorCode::Ok;  // no output, or already running
  }
  if (!openDevice()) {
    return ErrorCode::OutputFailed;
  }
  m_checkResult = ErrorCode::Ok;
  SDL_PauseAudioDevice(m_device, 0);
  return ErrorCode::Ok;
}

void Output::close() {
  std::lock_guard lock(m_deviceMutex);
  closeLocked();
}

void Output::closeLocked() {
  if (m_device != 0) {
    SDL_CloseAudioDevice(m_device.exchange(0));  // joins SDL's audio thread
  }
  if (m_sdlStarted) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_sdlStarted = false;
    m_checkResult.reset();
    m_lost = false;
  }
}

bool Output::add(Stream* stream) {
  for (auto& slot : m_slots) {
    Stream* empty = nullptr;
    if (slot.compare_exchange_strong(empty, stream)) {
      return true;
    }
  }
  return false;
}

void Output::remove(Stream* stream) {
  bool found = false;
  for (auto& slot : m_slots) {
    Stream* expected = stream;
    found = slot.compare_exchange_strong(expected, nullptr) || found;
  }
  if (!found) {
    return;
  }
  // A pass that began before the slot was cleared may still use the stream: wait for its end. Also
  // while the device is being closed to move to another (m_device is 0 by then): its last pass
  // may still run.
  if (m_inCallback.load()) {
    const std::uint64_t pass = m_passes.load();
    while (m_inCallback.load() && m_passes.load() == pass) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }
}

void Output::callback(void* selfPointer, std::uint8_t* buffer, int bytes) {
  auto* self = static_cast<Output*>(selfPointer);
  self->m_inCallback.store(true);
  auto* out = reinterpret_cast<std::int16_t*>(buffer);
  const std::size_t samples = std::min(static_cast<std::size_t>(bytes) / sizeof(std::int16_t), self->m_mix.size());
  float* mix = self->m_mix.data();
  std::fill_n(mix, samples, 0.0f);
  for (auto& slot : self->m_slots) {
    if (Stream* stream = slot.load()) {
      stream->mix(mix, samples / 2);
    }
  }
  for (std::size_t i = 0; i < samples; ++i) {
    out[i] = toSample(mix[i]);
  }
  // A device that asked for more than its period gets silence for the rest.
  std::fill(out + samples, out + static_cast<std::size_t>(bytes) / sizeof(std::int16_t), std::int16_t{0});
  // SDL keeps calling a device it has stopped (unplugged, its sound server gone) at the same pace,
  // so the streams go on; its status is the one sign that is there whoever reads SDL's events.
  if (SDL_GetAudioDeviceStatus(self->m_device.load(std::memory_order_relaxed)) == SDL_AUDIO_STOPPED) {
    self->m_lost.store(true, std::memory_order_relaxed);
  }
  self->m_passes.fetch_add(1);
  self->m_inCallback.store(false);
}

}  // namespace qv::engine
