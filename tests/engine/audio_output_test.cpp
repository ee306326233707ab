#include "engine_test_support.h"
#include "output_seam.h"
#include "stream_server.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <vector>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;

// Each fixture holds a 1 kHz sine at amplitude 0.5: at the output it is that tone on both
// channels, resampled to the output rate, mono copied to both sides.
TEST(AudioOutput, EveryFormatPlaysItsToneAtTheOutputRate) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  struct Case {
    const char* name;
    int sourceRate;
    int channels;
  };
  const Case cases[] = {
      {"sine1k.mp3", 44100, 2}, {"sine1k_mono.mp3", 44100, 1}, {"sine1k_48k.mp3", 48000, 2}, {"sine1k.aac", 44100, 2},
      {"sine1k.ogg", 44100, 2}, {"sine1k.opus", 48000, 2},     {"sine1k.flac", 44100, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Capture capture;
    {
      Session session(-1, 44100);
      ASSERT_TRUE(session.ok) << engine::errorName(engine::errorGetCode());
      const engine::Handle stream =
          engine::streamCreateUrl(server.url(std::string("/file/") + c.name).c_str(), 0, nullptr, nullptr);
      ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
      engine::ChannelInfo info;
      ASSERT_TRUE(engine::channelGetInfo(stream, &info));
      EXPECT_EQ(info.rateHz, c.sourceRate);
      EXPECT_EQ(info.channels, c.channels);
      ASSERT_TRUE(engine::channelPlay(stream));
      ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
      std::this_thread::sleep_for(500ms);
    }
    const std::vector<float> out = capture.samples();
    for (int channel : {0, 1}) {
      const Tone tone = analyse(out, channel, 44100, 0.1, 0.25);
      EXPECT_NEAR(tone.frequencyHz, 1000.0, 20.0) << "channel " << channel;
      EXPECT_NEAR(tone.peak, 0.5f, 0.06f) << "channel " << channel;
    }
  }
}

TEST(AudioOutput, HalfVolumeHalvesTheAmplitudeAndTheLevelFollows) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Capture capture;
  std::uint32_t fullLevel = 0, halfLevel = 0;
  {
    Session session(-1, 44100);
    ASSERT_TRUE(session.ok);
    const engine::Handle stream = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    EXPECT_EQ(engine::channelGetLevel(stream), 0xFFFFFFFFu) << "not playing yet";
    ASSERT_TRUE(engine::channelPlay(stream));
    ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
    std::this_thread::sleep_for(400ms);
    fullLevel = engine::channelGetLevel(stream);
    ASSERT_TRUE(engine::channelSetAttribute(stream, engine::Attribute::Volume, 0.5f));
    float volume = 0;
    ASSERT_TRUE(engine::channelGetAttribute(stream, engine::Attribute::Volume, &volume));
    EXPECT_EQ(volume, 0.5f);
    std::this_thread::sleep_for(400ms);
    halfLevel = engine::channelGetLevel(stream);
    // The output runs from the first sound on; on a busy machine its file may lag the clock.
    EXPECT_TRUE(waitUntil(
        [&] {
          const std::vector<float> heard = capture.samples();
          return heard.size() / 2 > firstAudibleFrame(heard, 0) + static_cast<std::size_t>(0.8 * 44100);
        },
        3s));
    EXPECT_FALSE(engine::channelSetAttribute(stream, engine::Attribute::Volume, 1.5f));
    EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadParameter);
    ASSERT_TRUE(engine::channelStop(stream));
    EXPECT_EQ(engine::channelGetLevel(stream), 0xFFFFFFFFu) << "a stopped stream has no level";
  }
  // The peak of the last 20 ms heard, per channel: left in the low word, right in the high word.
  EXPECT_NEAR(static_cast<double>(fullLevel & 0xFFFF), 16384.0, 1700.0);
  EXPECT_NEAR(static_cast<double>(fullLevel >> 16), 16384.0, 1700.0);
  EXPECT_NEAR(static_cast<double>(halfLevel & 0xFFFF), 8192.0, 850.0);
  EXPECT_NEAR(static_cast<double>(halfLevel >> 16), 8192.0, 850.0);

  const std::vector<float> out = capture.samples();
  const Tone full = analyse(out, 0, 44100, 0.1, 0.2);
  const Tone half = analyse(out, 0, 44100, 0.55, 0.2);
  EXPECT_NEAR(full.peak, 0.5f, 0.06f);
  EXPECT_NEAR(half.peak / full.peak, 0.5f, 0.05f);
  EXPECT_NEAR(half.frequencyHz, 1000.0, 20.0);
}

// The level watch lets a window show the meter without polling: it must hear each level the
// stream has while it plays, and that there is none as soon as the stream stops, pauses or goes.
TEST(AudioOutput, TheLevelWatchHearsTheLevelAndWhenThereIsNone) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  std::mutex mutex;
  std::vector<std::uint32_t> told;
  const auto last = [&] {
    const std::lock_guard lock(mutex);
    return told.empty() ? std::optional<std::uint32_t>() : std::optional<std::uint32_t>(told.back());
  };
  const auto halfScale = [](std::uint32_t level) {
    return level != 0xFFFFFFFFu && std::abs(static_cast<int>(level & 0xFFFF) - 16384) < 1700 &&
           std::abs(static_cast<int>(level >> 16) - 16384) < 1700;
  };
  Session session(-1, 44100);
  ASSERT_TRUE(session.ok);
  engine::StreamStart start;
  start.levelWatch = [&](std::uint32_t level) {
    const std::lock_guard lock(mutex);
    told.push_back(level);
  };
  const engine::Handle stream =
      engine::streamCreateUrlWith(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr, start);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  EXPECT_FALSE(last()) << "nothing is told before the stream plays";

  ASSERT_TRUE(engine::channelPlay(stream));
  EXPECT_TRUE(waitUntil([&] { return last() && halfScale(*last()); }, 3s));
  EXPECT_TRUE(halfScale(engine::channelGetLevel(stream)));
  ASSERT_TRUE(engine::channelPause(stream));
  EXPECT_TRUE(waitUntil([&] { return last() == 0xFFFFFFFFu; }, 2s)) << "a paused stream has no level";
  ASSERT_TRUE(engine::channelPlay(stream));
  EXPECT_TRUE(waitUntil([&] { return last() && halfScale(*last()); }, 3s)) << "playing again";
  ASSERT_TRUE(engine::channelStop(stream));
  EXPECT_TRUE(waitUntil([&] { return last() == 0xFFFFFFFFu; }, 2s)) << "a stopped stream has no level";

  ASSERT_TRUE(engine::channelPlay(stream));
  EXPECT_TRUE(waitUntil([&] { return last() && halfScale(*last()); }, 3s));
  // Freed while it plays: told at once by the thread that frees it, not by a later audio pass.
  ASSERT_TRUE(engine::streamFree(stream));
  EXPECT_EQ(last(), 0xFFFFFFFFu);
  const std::size_t toldCount = [&] {
    const std::lock_guard lock(mutex);
    return told.size();
  }();
  std::this_thread::sleep_for(200ms);
  const std::lock_guard lock(mutex);
  EXPECT_EQ(told.size(), toldCount) << "nothing is told after the stream is freed";
}

// Boosted 15 dB, the half-scale tone goes far past full scale: the 16-bit output flattens its
// peaks at full scale. A conversion that wrapped around would flip their sign, a loud crackle
// that shows as extra zero crossings and samples of the wrong sign at the crests.
TEST(AudioOutput, AMixPastFullScaleClipsInsteadOfWrappingAround) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Capture capture;
  {
    Session session(-1, 44100);
    ASSERT_TRUE(session.ok);
    const engine::Handle stream = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    const engine::Handle eq = engine::channelSetFx(stream, engine::EffectType::ParametricEq, 0);
    ASSERT_NE(eq, 0u);
    ASSERT_TRUE(engine::fxSetParameters(eq, qv::dsp::ParametricEqParameters{1000.0f, 12.0f, 15.0f}));
    ASSERT_TRUE(engine::channelPlay(stream));
    ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
    std::this_thread::sleep_for(1100ms);
  }
  // What was decoded before the equalizer came (at most the 500 ms buffer) is heard first.
  const std::vector<float> out = capture.samples();
  const Tone tone = analyse(out, 0, 44100, 0.6, 0.3);
  EXPECT_NEAR(tone.frequencyHz, 1000.0, 20.0);
  EXPECT_GE(tone.peak, 0.999f);
  // Over the measured stretch, a sample at full scale sits between neighbours of its own sign.
  const std::size_t from = firstAudibleFrame(out, 0) + static_cast<std::size_t>(0.6 * 44100);
  const std::size_t to = std::min(out.size() / 2 - 1, from + static_cast<std::size_t>(0.3 * 44100));
  ASSERT_LT(from, to);
  std::size_t crests = 0;
  for (std::size_t i = from; i < to; ++i) {
    const float sample = out[i * 2];
    if (std::fabs(sample) >= 0.999f) {
      ++crests;
      EXPECT_GT(sample * out[(i - 1) * 2], 0.0f) << "sample " << i;
      EXPECT_GT(sample * out[(i + 1) * 2], 0.0f) << "sample " << i;
    }
  }
  EXPECT_GT(crests, 300u) << "300 crests in 0.3 s of a 1 kHz tone, each at least one sample long";
}

}  // namespace

namespace {

// A station that sends no burst fills the buffer in real time. The device starts with the first
// sound, not at play: had it run from play on, it would have queued the pre-buffer's time of
// silence ahead of the station, and the listener would hear the station that much later.
TEST(AudioOutput, TheDeviceStartsWithTheFirstSoundNotAtPlay) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  for (const std::uint32_t flags : {0u, static_cast<std::uint32_t>(engine::OutputOnFirstPlay)}) {
    SCOPED_TRACE(flags == 0 ? "device tried at set-up" : "device tried at the first play");
    Capture capture;
    {
      ASSERT_TRUE(engine::init(-1, 44100, flags)) << engine::errorName(engine::errorGetCode());
      const engine::Handle stream =
          engine::streamCreateUrl(server.url("/icy/sine1k.mp3?burst=0").c_str(), 0, nullptr, nullptr);
      ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
      ASSERT_TRUE(engine::channelPlay(stream));
      ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
      std::this_thread::sleep_for(300ms);
      EXPECT_TRUE(engine::release());
    }
    const std::vector<float> out = capture.samples();
    ASSERT_GT(out.size(), 2u * 44100 / 10);
    // The pre-buffer is 250 ms; the decoder's own start-up silence is far shorter than 100 ms.
    EXPECT_LT(firstAudibleFrame(out, 0), 44100u / 10);
  }
}

// Through ALSA (a private configuration whose default device discards the sound), the output opens
// and the engine runs no thread that watches for devices coming and going: it reads the device list
// once, and SDL's watcher would wake ten times a second for as long as the program runs.
TEST(AudioOutput, TheAlsaOutputOpensWithoutADeviceWatcher) {
  QTemporaryDir dir;
  const std::string config = (dir.path() + QStringLiteral("/asound.conf")).toStdString();
  std::ofstream(config) << "pcm.!default { type null }\n";
  const std::string previousDriver = qgetenv("SDL_AUDIODRIVER").toStdString();
  setVariable("SDL_AUDIODRIVER", "alsa");
  setVariable("ALSA_CONFIG_PATH", config);
  std::vector<std::string> threads;
  {
    Session session;
    EXPECT_TRUE(session.ok) << engine::errorName(engine::errorGetCode());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
      std::string name;
      std::getline(std::ifstream(task.path() / "comm"), name);
      threads.push_back(name);
    }
  }
  setVariable("SDL_AUDIODRIVER", previousDriver);
  qunsetenv("ALSA_CONFIG_PATH");
  EXPECT_EQ(std::count(threads.begin(), threads.end(), "SDLHotplugALSA"), 0);
}

}  // namespace

namespace {

// The output rate follows the device when asked to (the disk output reports none and takes what
// it is offered, so the device's choice is the engine's 48 kHz), and at every rate, with the
// stream resampled or not, the first bytes the device gets are the station's sound, not silence.
TEST(AudioOutput, EveryOutputRateStartsWithTheSoundAtItsRate) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  struct Case {
    int askedRate;
    int expectedRate;
    const char* path;
  };
  const Case cases[] = {
      {engine::kAutomaticRate, 48000, "/icy/sine1k_48k.mp3?burst=0"},
      {engine::kAutomaticRate, 48000, "/icy/sine1k.mp3?burst=0"},
      {44100, 44100, "/icy/sine1k_48k.mp3?burst=0"},
      {48000, 48000, "/icy/sine1k_48k.mp3?burst=0"},
      {48000, 48000, "/icy/sine1k.mp3?burst=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.askedRate) + " Hz asked, " + c.path);
    Capture capture;
    {
      Session session(-1, c.askedRate);
      ASSERT_TRUE(session.ok) << engine::errorName(engine::errorGetCode());
      EXPECT_EQ(engine::outputGetRate(), c.expectedRate);
      const engine::Handle stream = engine::streamCreateUrl(server.url(c.path).c_str(), 0, nullptr, nullptr);
      ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
      ASSERT_TRUE(engine::channelPlay(stream));
      ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
      std::this_thread::sleep_for(500ms);
    }
    const std::vector<float> out = capture.samples();
    ASSERT_GT(out.size(), 2u * static_cast<std::size_t>(c.expectedRate) / 4);
    // The decoder's own start-up (an MP3's priming samples) is a few milliseconds. SDL's audio
    // thread may write one period (2048 frames) of silence before the device is unpaused: a race
    // inside SDL that an open device always starts paused; no more than that.
    EXPECT_LT(firstAudibleFrame(out, 0), 2048 + static_cast<std::size_t>(c.expectedRate) / 50);
    const Tone tone = analyse(out, 0, c.expectedRate, 0.05, 0.15);
    EXPECT_NEAR(tone.frequencyHz, 1000.0, 20.0);
    EXPECT_NEAR(tone.peak, 0.5f, 0.06f);
  }
}

}  // namespace

namespace {

// A levelled stream is heard at the gain learned for its station from its first sample (the gain
// moves only after seconds of measuring), and tells that gain back; one that is not levelled says
// so and is heard as it comes.
TEST(AudioOutput, ALevelledStationStartsAtItsLearnedGain) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  struct Case {
    bool levelled;
    float learnedDb;
    float peak;
  };
  for (const Case c : {Case{true, -6.0206f, 0.25f}, Case{true, 3.0f, 0.706f}, Case{false, -6.0206f, 0.5f}}) {
    SCOPED_TRACE(std::to_string(c.levelled) + " " + std::to_string(c.learnedDb));
    Capture capture;
    float told = 0;
    bool toldOk = false;
    {
      Session session(-1, 44100);
      ASSERT_TRUE(session.ok);
      engine::StreamStart start;
      start.levelling.enabled = c.levelled;
      start.levelling.initialGainDb = c.learnedDb;
      const engine::Handle stream =
          engine::streamCreateUrlWith(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr, start);
      ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
      ASSERT_TRUE(engine::channelPlay(stream));
      ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
      std::this_thread::sleep_for(500ms);
      toldOk = engine::channelGetLevellingGain(stream, &told);
      if (!c.levelled) {
        EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::NotAvailable);
      }
    }
    EXPECT_EQ(toldOk, c.levelled);
    if (c.levelled) {
      EXPECT_FLOAT_EQ(told, c.learnedDb);
    }
    const Tone tone = analyse(capture.samples(), 0, 44100, 0.0, 0.3);
    EXPECT_NEAR(tone.frequencyHz, 1000.0, 20.0);
    EXPECT_NEAR(tone.peak, c.peak, 0.04f);
  }
}

}  // namespace

namespace {

// A station replaced by another fades out over the time asked for instead of stopping with a cut,
// while the new one already plays; once silent it stops and, freeing itself, its handle is gone.
TEST(AudioOutput, AStreamFadesOutOverItsTimeWhileTheNextOnePlays) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Capture capture;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> levels;  // old, new; each side's larger peak
  const auto peakOf = [](std::uint32_t level) {
    return level == 0xFFFFFFFFu ? 0u : std::max(level & 0xFFFF, level >> 16);
  };
  {
    Session session(-1, 44100);
    ASSERT_TRUE(session.ok);
    const engine::Handle old =
        engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), engine::AutoFree, nullptr, nullptr);
    ASSERT_NE(old, 0u) << engine::errorName(engine::errorGetCode());
    ASSERT_TRUE(engine::channelPlay(old));
    ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(old) == engine::ChannelState::Playing; }, 3s));
    std::this_thread::sleep_for(400ms);
    const engine::Handle next =
        engine::streamCreateUrl(server.url("/icy/sine1k_48k.mp3").c_str(), engine::AutoFree, nullptr, nullptr);
    ASSERT_NE(next, 0u);
    EXPECT_FALSE(engine::channelFadeOut(old, 0));
    EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadParameter);
    ASSERT_TRUE(engine::channelPlay(next));
    ASSERT_TRUE(engine::channelFadeOut(old, 300));
    ASSERT_TRUE(engine::channelFadeOut(old, 5000)) << "the fade under way stays";
    for (int i = 0; i < 60; ++i) {
      levels.emplace_back(peakOf(engine::channelGetLevel(old)), peakOf(engine::channelGetLevel(next)));
      std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(engine::channelIsActive(old), engine::ChannelState::Stopped);
    EXPECT_FALSE(engine::channelPlay(old)) << "it freed itself";
    EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);
    EXPECT_EQ(engine::channelIsActive(next), engine::ChannelState::Playing);
  }
  const bool overlapped = std::any_of(levels.begin(), levels.end(), [](const auto& both) {
    return both.first > 1000 && both.first < 14000 && both.second > 14000;
  });
  EXPECT_TRUE(overlapped) << "the old one falls while the new one plays";
  EXPECT_EQ(levels.back().first, 0u);
}

// The fade's shape at the output: the half-scale tone falls from 90 % to 10 % of its level in 80 %
// of the 300 ms, linearly.
TEST(AudioOutput, AFadeFallsLinearlyOverItsTime) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Capture capture;
  {
    Session session(-1, 44100);
    ASSERT_TRUE(session.ok);
    const engine::Handle stream = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(engine::channelPlay(stream));
    ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(engine::channelFadeOut(stream, 300));
    ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Stopped; }, 2s));
  }
  const std::vector<float> out = capture.samples();
  const std::size_t start = firstAudibleFrame(out, 0);
  // The envelope: the peak of each 2 ms block (two periods of the tone).
  constexpr std::size_t kBlock = 88;
  std::vector<float> envelope;
  for (std::size_t from = start; from + kBlock < out.size() / 2; from += kBlock) {
    float peak = 0;
    for (std::size_t i = from; i < from + kBlock; ++i) {
      peak = std::max(peak, std::fabs(out[i * 2]));
    }
    envelope.push_back(peak);
  }
  const auto below = [&](float level) {
    return static_cast<std::size_t>(
        std::find_if(envelope.begin(), envelope.end(), [&](float peak) { return peak < level; }) - envelope.begin());
  };
  const std::size_t ninety = below(0.45f);
  const std::size_t ten = below(0.05f);
  ASSERT_LT(ten, envelope.size());
  const double fallMs = static_cast<double>(ten - ninety) * kBlock * 1000.0 / 44100;
  EXPECT_NEAR(fallMs, 240.0, 20.0);
  // Halfway through, at half the level.
  EXPECT_NEAR(envelope[(ninety + ten) / 2], 0.25f, 0.04f);
}

}  // namespace

namespace {

//! What the output watch was told, in order; the watch is taken away again at the end.
struct OutputNotes {
  OutputNotes() {
    engine::setOutputWatch([this](engine::OutputChange change, const std::string& name) {
      std::lock_guard lock(mutex);
      notes.emplace_back(change, name);
    });
  }
  ~OutputNotes() { engine::setOutputWatch({}); }
  std::vector<std::pair<engine::OutputChange, std::string>> taken() {
    std::lock_guard lock(mutex);
    return notes;
  }
  std::mutex mutex;
  std::vector<std::pair<engine::OutputChange, std::string>> notes;
};

// SDL's disk and dummy drivers each report their one device by a name of their own: it is listed,
// opens by that name, and a name the system does not report falls back to the default, told once.
TEST(AudioOutput, ADeviceIsChosenByNameAndAMissingOneFallsBackToTheDefault) {
  QTemporaryDir dir;
  const std::string previousDriver = qgetenv("SDL_AUDIODRIVER").toStdString();
  setVariable("SDL_DISKAUDIOFILE", (dir.path() + QStringLiteral("/out.raw")).toStdString());
  for (const char* driver : {"disk", "dummy"}) {
    SCOPED_TRACE(driver);
    setVariable("SDL_AUDIODRIVER", driver);
    const std::vector<std::string> devices = engine::outputDevices();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_FALSE(devices.front().empty());
    OutputNotes notes;
    {
      ASSERT_TRUE(engine::initWithDevice(devices.front(), 44100));
      EXPECT_EQ(engine::outputGetDevice(), devices.front());
      EXPECT_EQ(engine::outputDevices(), devices) << "the same list while the output runs";
      // Back to the default and to the device again, then to one that is not there.
      EXPECT_TRUE(engine::outputSetDevice(""));
      EXPECT_EQ(engine::outputGetDevice(), "");
      EXPECT_TRUE(engine::outputSetDevice(devices.front()));
      EXPECT_EQ(engine::outputGetDevice(), devices.front());
      EXPECT_TRUE(engine::outputSetDevice("USB headset"));
      EXPECT_EQ(engine::outputGetDevice(), "");
      EXPECT_TRUE(engine::release());
    }
    {
      ASSERT_TRUE(engine::initWithDevice("HDMI 2", 44100)) << engine::errorName(engine::errorGetCode());
      EXPECT_EQ(engine::outputGetDevice(), "");
      EXPECT_TRUE(engine::release());
    }
    using Note = std::pair<engine::OutputChange, std::string>;
    EXPECT_EQ(notes.taken(), (std::vector<Note>{{engine::OutputChange::NamedDeviceMissing, "USB headset"},
                                                {engine::OutputChange::NamedDeviceMissing, "HDMI 2"}}));
  }
  setVariable("SDL_AUDIODRIVER", previousDriver);
  qunsetenv("SDL_DISKAUDIOFILE");
}

// A device that goes away while a station plays: the output moves to the default, the station
// plays on there (the disk driver's file is written anew), and the watch is told which one went.
TEST(AudioOutput, ADeviceThatGoesAwayMovesPlaybackToTheDefault) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  Capture capture;
  const std::vector<std::string> devices = engine::outputDevices();
  ASSERT_EQ(devices.size(), 1u);
  OutputNotes notes;
  ASSERT_TRUE(engine::initWithDevice(devices.front(), 44100));
  const engine::Handle stream = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(stream) == engine::ChannelState::Playing; }, 3s));
  std::this_thread::sleep_for(200ms);
  engine::simulateOutputDeviceLoss();
  EXPECT_TRUE(waitUntil([&] { return !notes.taken().empty(); }, 2s));
  EXPECT_EQ(engine::outputGetDevice(), "");
  std::this_thread::sleep_for(400ms);
  EXPECT_EQ(engine::channelIsActive(stream), engine::ChannelState::Playing);
  EXPECT_TRUE(engine::release());
  using Note = std::pair<engine::OutputChange, std::string>;
  EXPECT_EQ(notes.taken(), (std::vector<Note>{{engine::OutputChange::DeviceRemoved, devices.front()}}));
  const std::vector<float> out = capture.samples();
  ASSERT_GT(out.size(), 2u * 44100 / 5) << "the default device plays on";
  const Tone tone = analyse(out, 0, 44100, 0.05, 0.15);
  EXPECT_NEAR(tone.frequencyHz, 1000.0, 20.0);
}

}  // namespace
