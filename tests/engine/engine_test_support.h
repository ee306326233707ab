#pragma once

// Helpers of the engine's integration tests: the engine set up for one test, syncs recorded from
// engine threads, bounded waits, and the output captured through SDL's disk driver.

#include "engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace engine_test {

namespace engine = qv::engine;

inline void setVariable(const char* name, const std::string& value) {
  qputenv(name, QByteArray::fromStdString(value));
}

//! The engine set up for one test (output to nowhere unless a Capture exists), released after.
class Session {
 public:
  explicit Session(int device = -1, int rateHz = 44100) { ok = engine::init(device, rateHz); }
  ~Session() {
    if (ok) {
      engine::release();
    }
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  bool ok = false;
};

//! Routes the output into a file through SDL's disk driver while it exists; create it before the
//! Session. samples() reads the interleaved stereo written so far (the device takes 16-bit
//! samples), scaled to -1..1.
class Capture {
 public:
  Capture() : m_path((m_dir.path() + QStringLiteral("/out.raw")).toStdString()) {
    m_previousDriver = qgetenv("SDL_AUDIODRIVER").toStdString();
    setVariable("SDL_AUDIODRIVER", "disk");
    setVariable("SDL_DISKAUDIOFILE", m_path);
  }
  ~Capture() {
    setVariable("SDL_AUDIODRIVER", m_previousDriver);
    qunsetenv("SDL_DISKAUDIOFILE");
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  std::vector<float> samples() const {
    std::ifstream file(m_path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> raw(bytes.size() / sizeof(std::int16_t));
    if (!raw.empty()) {  // before the output has written anything the file is empty (and data() null)
      std::memcpy(raw.data(), bytes.data(), raw.size() * sizeof(std::int16_t));
    }
    std::vector<float> out(raw.size());
    std::transform(raw.begin(), raw.end(), out.begin(),
                   [](std::int16_t sample) { return static_cast<float>(sample) / 32767.0f; });
    return out;
  }

 private:
  QTemporaryDir m_dir;
  std::string m_path;
  std::string m_previousDriver;
};

//! What a stretch of one channel sounds like.
struct Tone {
  double frequencyHz = 0;
  float peak = 0;
};

//! The first frame of interleaved stereo whose channel `channel` is audible (|s| >= 0.01).
inline std::size_t firstAudibleFrame(const std::vector<float>& stereo, int channel) {
  std::size_t first = 0;
  while (first * 2 + 1 < stereo.size() && std::fabs(stereo[first * 2 + channel]) < 0.01f) {
    ++first;
  }
  return first;
}

//! The tone of channel `channel` in `seconds` of audio that start `skipSeconds` after the first
//! audible sample; frequency from the rising zero crossings.
inline Tone analyse(const std::vector<float>& stereo, int channel, int rateHz, double skipSeconds, double seconds) {
  Tone tone;
  const std::size_t from = firstAudibleFrame(stereo, channel) + static_cast<std::size_t>(skipSeconds * rateHz);
  const std::size_t to = from + static_cast<std::size_t>(seconds * rateHz);
  if (to * 2 > stereo.size()) {
    return tone;
  }
  int crossings = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    const float before = stereo[(i - 1) * 2 + channel];
    const float now = stereo[i * 2 + channel];
    crossings += before < 0 && now >= 0 ? 1 : 0;
    tone.peak = std::max(tone.peak, std::fabs(now));
  }
  tone.frequencyHz = crossings / seconds;
  return tone;
}

//! Polls `done` every 10 ms for at most `limit`; true when it became true.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

//! Reads a NUL-separated list (a header block, a list tag) into its lines; none for null.
inline std::vector<std::string> lines(const char* list) {
  std::vector<std::string> out;
  for (const char* line = list; line && *line; line += std::strlen(line) + 1) {
    out.emplace_back(line);
  }
  return out;
}
inline std::vector<std::string> lines(const engine::TagText& list) {
  return lines(list ? list->c_str() : nullptr);
}

//! Records every sync of a stream, with the tag text read inside the callback.
class SyncLog {
 public:
  struct Event {
    engine::SyncType type;
    std::uint32_t data;
    std::chrono::steady_clock::time_point at;
    std::string text;  // META: the metadata; OGG_CHANGE: the comment lines joined by '|'; HLS_SEGMENT: the label
  };

  SyncLog() {
    const engine::SyncType types[] = {engine::SyncType::Meta, engine::SyncType::OggChange, engine::SyncType::Stall,
                                      engine::SyncType::End, engine::SyncType::HlsSegment};
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
      m_bindings[i] = {this, types[i]};
    }
  }
  SyncLog(const SyncLog&) = delete;
  SyncLog& operator=(const SyncLog&) = delete;

  void attach(engine::Handle stream) {
    for (Binding& binding : m_bindings) {
      EXPECT_NE(engine::channelSetSync(stream, binding.type, &SyncLog::record, &binding), 0u);
    }
  }
  std::vector<Event> events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
  }
  std::vector<Event> events(engine::SyncType type) const {
    std::vector<Event> out;
    for (const Event& e : events()) {
      if (e.type == type) {
        out.push_back(e);
      }
    }
    return out;
  }
  bool waitFor(engine::SyncType type, std::size_t times, std::chrono::milliseconds limit) const {
    return waitUntil([&] { return events(type).size() >= times; }, limit);
  }

 private:
  struct Binding {
    SyncLog* log;
    engine::SyncType type;
  };

  static void record(engine::Handle, engine::Handle stream, std::uint32_t data, void* user) {
    const auto* binding = static_cast<const Binding*>(user);
    Event event{binding->type, data, std::chrono::steady_clock::now(), {}};
    if (binding->type == engine::SyncType::Meta) {
      const engine::TagText meta = engine::channelGetTags(stream, engine::Tag::Meta);
      event.text = meta ? *meta : std::string();
    } else if (binding->type == engine::SyncType::OggChange) {
      for (const std::string& line : lines(engine::channelGetTags(stream, engine::Tag::Ogg))) {
        event.text += line + "|";
      }
    } else if (binding->type == engine::SyncType::HlsSegment) {
      const engine::TagText label = engine::channelGetTags(stream, engine::Tag::HlsExtinf);
      event.text = label ? *label : std::string();
    }
    std::lock_guard lock(binding->log->m_mutex);
    binding->log->m_events.push_back(std::move(event));
  }

  std::array<Binding, 5> m_bindings{};
  mutable std::mutex m_mutex;
  std::vector<Event> m_events;  // m_mutex
};

}  // namespace engine_test
