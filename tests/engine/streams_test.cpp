#include "engine_test_support.h"
#include "net_reader.h"
#include "stream_server.h"

#include <QDir>

#include <atomic>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace engine_test;
using namespace std::chrono_literals;
using engine::ChannelState;
using engine::SyncType;
using engine::Tag;

struct Download {
  std::vector<std::string> blocks;
  static void record(const char* headers, std::uint32_t length, void* user) {
    EXPECT_EQ(length, 0u);
    static_cast<Download*>(user)->blocks.push_back(lines(headers).empty() ? "" : lines(headers).front());
  }
};

bool hasLine(const engine::TagText& list, const std::string& line) {
  const auto all = lines(list);
  return std::find(all.begin(), all.end(), line) != all.end();
}

// How often the threads named `name` have gone to sleep and been woken so far (Linux).
long wakeUps(const std::string& name) {
  long total = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::string comm;
    std::getline(std::ifstream(task.path() / "comm"), comm);
    std::ifstream status(task.path() / "status");
    for (std::string line; comm == name && std::getline(status, line);) {
      if (line.starts_with("voluntary_ctxt_switches:")) {
        total += std::stol(line.substr(line.find(':') + 1));
      }
    }
  }
  return total;
}

class Streams : public ::testing::Test {
 protected:
  StreamServer server;
  Session session;
};

TEST_F(Streams, IcyStationGivesItsHeadersFormatAndChangingTitles) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  Download download;
  const engine::Handle stream = engine::streamCreateUrl(
      server.url("/icy/sine1k.mp3?metaint=8000&every=1&titles=First%20Song|Second%20Song").c_str(), 0,
      &Download::record, &download);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  EXPECT_EQ(download.blocks, std::vector<std::string>{"ICY 200 OK"});

  const engine::TagText icy = engine::channelGetTags(stream, Tag::Icy);
  ASSERT_NE(icy, nullptr);
  EXPECT_EQ(lines(icy).front(), "ICY 200 OK");
  EXPECT_TRUE(hasLine(icy, "icy-metaint: 8000") || hasLine(icy, "icy-metaint:8000")) << icy->c_str();
  EXPECT_EQ(engine::channelGetTags(stream, Tag::Http), nullptr) << "an ICY answer has ICY headers only";
  EXPECT_EQ(engine::channelGetTags(stream, Tag::Ogg), nullptr);
  engine::ChannelInfo info;
  ASSERT_TRUE(engine::channelGetInfo(stream, &info));
  EXPECT_EQ(info.rateHz, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.bitrateKbps, 128);

  SyncLog syncs;
  syncs.attach(stream);
  const engine::Handle removed = engine::channelSetSync(
      stream, SyncType::Meta, [](auto, auto, auto, auto) { ADD_FAILURE() << "a removed sync ran"; }, nullptr);
  ASSERT_NE(removed, 0u);
  EXPECT_TRUE(engine::channelRemoveSync(stream, removed));
  EXPECT_FALSE(engine::channelRemoveSync(stream, removed));
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::Meta, 2, 5s));
  const auto metas = syncs.events(SyncType::Meta);
  EXPECT_NE(metas[0].text, metas[1].text) << "each META sync is a change";
  for (const auto& meta : metas) {
    EXPECT_TRUE(meta.text == "StreamTitle='First Song';StreamUrl='';" ||
                meta.text == "StreamTitle='Second Song';StreamUrl='';")
        << meta.text;
  }
  EXPECT_EQ(engine::channelIsActive(stream), ChannelState::Playing);
  EXPECT_TRUE(engine::streamFree(stream));
}

TEST_F(Streams, HttpAnswerGivesHttpHeadersAndNoMetadataWithoutMetaint) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  Download download;
  const engine::Handle stream =
      engine::streamCreateUrl(server.url("/file/sine1k.ogg").c_str(), 0, &Download::record, &download);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  EXPECT_EQ(download.blocks, std::vector<std::string>{"HTTP/1.0 200 OK"});
  EXPECT_EQ(engine::channelGetTags(stream, Tag::Icy), nullptr);
  EXPECT_TRUE(hasLine(engine::channelGetTags(stream, Tag::Http), "Content-Type: audio/ogg"));
  EXPECT_EQ(engine::channelGetTags(stream, Tag::Meta), nullptr);
  EXPECT_NE(engine::channelGetTags(stream, Tag::Ogg), nullptr) << "an Ogg stream has its comment list";
  EXPECT_TRUE(engine::streamFree(stream));
}

// The server's end is heard: END fires once the buffered audio has played, and the stream stops.
TEST_F(Streams, EndFiresAfterTheServerCloses) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  const engine::Handle stream =
      engine::streamCreateUrl(server.url("/close/sine1k.mp3?after=16000").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::End, 1, 6s));
  EXPECT_EQ(engine::channelIsActive(stream), ChannelState::Stopped);
  EXPECT_TRUE(syncs.events(SyncType::Stall).empty()) << "an end is no stall";
  EXPECT_EQ(engine::channelGetLevel(stream), 0xFFFFFFFFu);
  EXPECT_TRUE(engine::streamFree(stream));
}

// END follows the last sample within moments, run after run and beside CPU load: the decoder
// thread looks for the audio callback's end every 10 ms, so an end that comes much later (or never)
// is a wake-up lost between the two threads.
TEST_F(Streams, EndFollowsTheLastSampleAtOnceRunAfterRunUnderLoad) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  std::atomic<bool> loaded{true};
  std::vector<std::thread> load;
  for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i) {
    load.emplace_back([&loaded] {
      for (volatile std::uint64_t spin = 0; loaded.load(std::memory_order_relaxed);) {
        spin = spin + 1;
      }
    });
  }
  struct StopLoad {
    std::atomic<bool>& loaded;
    std::vector<std::thread>& load;
    ~StopLoad() {
      loaded = false;
      for (std::thread& thread : load) {
        thread.join();
      }
    }
  } stopLoad{loaded, load};

  constexpr int kRuns = 30;
  constexpr auto kLongestEnd = 1000ms;  // generous beside the 10 ms the end path waits at most
  const auto giveUp = std::chrono::steady_clock::now() + 120s;
  for (int run = 0; run < kRuns && std::chrono::steady_clock::now() < giveUp; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    // The level watch is told "no level" on the audio thread in the very pass that ran dry.
    std::atomic<std::int64_t> silentSinceNs{0};
    engine::StreamStart start;
    start.levelWatch = [&silentSinceNs](std::uint32_t level) {
      if (level == UINT32_MAX) {
        silentSinceNs = std::chrono::steady_clock::now().time_since_epoch().count();
      }
    };
    // A quarter of a second of audio, sent at once.
    const engine::Handle stream =
        engine::streamCreateUrlWith(server.url("/close/sine1k.mp3?after=4000").c_str(), 0, nullptr, nullptr, start);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    SyncLog syncs;
    syncs.attach(stream);
    ASSERT_TRUE(engine::channelPlay(stream));
    const bool ended = syncs.waitFor(SyncType::End, 1, 5s);
    // The watch is told just after the pass that raised the end, so END may come a moment first.
    waitUntil([&] { return silentSinceNs.load() != 0; }, 1s);
    const std::int64_t silentSince = silentSinceNs.load();
    EXPECT_TRUE(engine::streamFree(stream));
    ASSERT_TRUE(ended) << "no END";
    ASSERT_NE(silentSince, 0) << "the stream was never heard";
    const auto lastSample = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(silentSince));
    const auto delay =
        std::chrono::duration_cast<std::chrono::milliseconds>(syncs.events(SyncType::End)[0].at - lastSample);
    EXPECT_LT(delay, kLongestEnd);
  }
}

TEST_F(Streams, StallIsReportedWithBufferingAndTheResumeFollows) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  const engine::Handle stream =
      engine::streamCreateUrl(server.url("/stall/sine1k.mp3?after=16000&pause=2").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::Stall, 1, 5s));
  EXPECT_EQ(syncs.events(SyncType::Stall)[0].data, 0u);
  EXPECT_EQ(engine::channelIsActive(stream), ChannelState::Stalled);
  EXPECT_GT(engine::streamBufferingPercent(stream), 0);
  EXPECT_EQ(engine::channelGetLevel(stream), 0xFFFFFFFFu) << "a stalled stream is not playing";
  ASSERT_TRUE(syncs.waitFor(SyncType::Stall, 2, 6s));
  EXPECT_EQ(syncs.events(SyncType::Stall)[1].data, 1u);
  EXPECT_EQ(engine::channelIsActive(stream), ChannelState::Playing);
  EXPECT_EQ(engine::streamBufferingPercent(stream), 0);
  EXPECT_TRUE(engine::streamFree(stream));
}

// While the server sends nothing, the network thread sleeps until data, a stop or the no-data
// limit: an Ogg station behind Icecast sends one page a second, and waking every 100 ms in between
// was most of that thread's cost.
TEST_F(Streams, TheNetworkThreadSleepsWhileTheServerIsQuiet) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  // The first 16000 bytes come at once, then the server is quiet for 4 s.
  const engine::Handle stream =
      engine::streamCreateUrl(server.url("/stall/sine1k.mp3?after=16000&pause=4").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  std::this_thread::sleep_for(500ms);
  const long before = wakeUps("qv-network");
  std::this_thread::sleep_for(2s);
  const long during = wakeUps("qv-network") - before;
  EXPECT_LE(during, 3) << "woken " << during << " times in 2 s of silence";
  EXPECT_TRUE(engine::streamFree(stream));
}

TEST_F(Streams, ChainedOggReplacesTheOggTagWhenTheNextStreamIsHeard) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  const engine::Handle stream = engine::streamCreateUrl(server.url("/file/chained.ogg").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  const auto first = lines(engine::channelGetTags(stream, Tag::Ogg));
  EXPECT_TRUE(std::find(first.begin(), first.end(), "ARTIST=First Artist") != first.end());
  EXPECT_TRUE(std::find(first.begin(), first.end(), "TITLE=First Title") != first.end());
  SyncLog syncs;
  syncs.attach(stream);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(syncs.waitFor(SyncType::OggChange, 1, 10s));
  const std::string changed = syncs.events(SyncType::OggChange)[0].text;
  EXPECT_NE(changed.find("ARTIST=Second Artist|"), std::string::npos) << changed;
  EXPECT_NE(changed.find("TITLE=Second Title|"), std::string::npos) << changed;
  EXPECT_EQ(changed.find("First"), std::string::npos) << "the list is replaced, not extended";
  EXPECT_TRUE(engine::streamFree(stream));
}

TEST_F(Streams, AFreedHandleIsHarmlessAndNeverNamesALaterStream) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  const engine::Handle first = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(engine::channelPlay(first));
  ASSERT_TRUE(engine::streamFree(first));

  EXPECT_FALSE(engine::streamFree(first));
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);
  EXPECT_FALSE(engine::channelPlay(first));
  EXPECT_FALSE(engine::channelStop(first));
  EXPECT_FALSE(engine::channelSetAttribute(first, engine::Attribute::Volume, 0.5f));
  EXPECT_EQ(engine::channelSetSync(
                first, SyncType::Meta, [](auto, auto, auto, auto) {}, nullptr),
            0u);
  EXPECT_EQ(engine::channelIsActive(first), ChannelState::Stopped);
  EXPECT_EQ(engine::channelGetTags(first, Tag::Icy), nullptr);
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);

  const engine::Handle second = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(second, 0u);
  EXPECT_NE(second, first) << "the slot's generation changed";
  EXPECT_FALSE(engine::channelPlay(first));
  EXPECT_TRUE(engine::streamFree(second));
}

TEST_F(Streams, AnAutoFreeStreamIsGoneOnceStopped) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  const engine::Handle stream =
      engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), engine::AutoFree, nullptr, nullptr);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(engine::channelPlay(stream));
  ASSERT_TRUE(engine::channelStop(stream));
  EXPECT_EQ(engine::channelIsActive(stream), ChannelState::Stopped);
  EXPECT_FALSE(engine::channelPlay(stream));
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);
}

std::size_t threadCount() {
  return static_cast<std::size_t>(
      QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// Run under the sanitizer build too: freeing leaves no thread and no memory behind. Each stream
// runs two threads of its own (network and decoder); the output's thread stays until release.
TEST_F(Streams, TwoStreamsOpenedInQuickSuccessionAndTheFirstFreedLeaveNothingBehind) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  const engine::Handle first = engine::streamCreateUrl(server.url("/icy/music.mp3").c_str(), 0, nullptr, nullptr);
  const engine::Handle second = engine::streamCreateUrl(server.url("/icy/music.ogg").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(first, 0u);
  ASSERT_NE(second, 0u);
  ASSERT_TRUE(engine::channelPlay(first));
  ASSERT_TRUE(engine::channelPlay(second));
  const std::size_t threadsWithBoth = threadCount();
  ASSERT_TRUE(engine::streamFree(first));
#ifdef __linux__
  EXPECT_EQ(threadCount(), threadsWithBoth - 2) << "the first stream's threads are joined";
#endif
  ASSERT_TRUE(waitUntil([&] { return engine::channelIsActive(second) == ChannelState::Playing; }, 3s));
  EXPECT_TRUE(waitUntil([&] { return engine::channelGetLevel(second) != 0; }, 2s)) << "the second still sounds";
  ASSERT_TRUE(engine::streamFree(second));
#ifdef __linux__
  EXPECT_EQ(threadCount(), threadsWithBoth - 4) << "every stream thread is joined";
#endif
}

}  // namespace

TEST_F(Streams, AStreamFreedFromItsOwnSyncCallbacksIsGoneWithoutHarm) {
  ASSERT_TRUE(server.ok()) << server.error();
  ASSERT_TRUE(session.ok);
  // META runs on the stream's network thread, END on its decoder thread: neither may join itself.
  struct Case {
    const char* path;
    SyncType type;
  };
  const Case cases[] = {
      {"/icy/sine1k.mp3?metaint=8000&every=1&titles=A|B", SyncType::Meta},
      {"/close/sine1k.mp3?after=20000", SyncType::End},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const engine::Handle stream = engine::streamCreateUrl(server.url(c.path).c_str(), 0, nullptr, nullptr);
    ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
    std::atomic<int> freed{0};
    ASSERT_NE(engine::channelSetSync(
                  stream, c.type,
                  [](engine::Handle, engine::Handle own, std::uint32_t, void* user) {
                    if (engine::streamFree(own)) {
                      ++*static_cast<std::atomic<int>*>(user);
                    }
                  },
                  &freed),
              0u);
    ASSERT_TRUE(engine::channelPlay(stream));
    EXPECT_TRUE(waitUntil([&] { return freed.load() == 1; }, 5s));
    EXPECT_EQ(engine::channelIsActive(stream), ChannelState::Stopped);
    EXPECT_FALSE(engine::channelPlay(stream));
    EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::BadHandle);
  }
}

// An output that cannot be opened: set-up fails at once, unless the device is left for the first
// play, which then fails instead; the stream itself is unharmed and can be freed.
TEST(OutputOnFirstPlay, ABrokenOutputFailsAtSetUpOrAtTheFirstPlay) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  QTemporaryDir dir;  // a folder where the disk driver expects a file: the device cannot open
  const std::string previousDriver = qgetenv("SDL_AUDIODRIVER").toStdString();
  setVariable("SDL_AUDIODRIVER", "disk");
  setVariable("SDL_DISKAUDIOFILE", dir.path().toStdString());

  EXPECT_FALSE(engine::init(-1, 44100));
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::OutputFailed);

  ASSERT_TRUE(engine::init(-1, 44100, engine::OutputOnFirstPlay));
  const engine::Handle stream = engine::streamCreateUrl(server.url("/icy/sine1k.mp3").c_str(), 0, nullptr, nullptr);
  ASSERT_NE(stream, 0u) << engine::errorName(engine::errorGetCode());
  EXPECT_FALSE(engine::channelPlay(stream));
  EXPECT_EQ(engine::errorGetCode(), engine::ErrorCode::OutputFailed);
  EXPECT_TRUE(engine::streamFree(stream));
  EXPECT_TRUE(engine::release());

  setVariable("SDL_AUDIODRIVER", previousDriver);
  qunsetenv("SDL_DISKAUDIOFILE");
}

namespace {

// One network reader of the local server, without a decoder: the test reads the ring itself.
class NetworkTransfer : public ::testing::Test {
 protected:
  void startReading(const char* path, std::size_t ringBytes) {
    ASSERT_TRUE(server.ok()) << server.error();
    ringOfReader = std::make_unique<engine::ByteRing>(ringBytes);
    engine::NetOptions options;
    options.url = server.url(path);
    netReader = std::make_unique<engine::NetReader>(options, *ringOfReader, [](std::string) {});
    netReader->start();
    ASSERT_EQ(netReader->waitForAnswer().error, engine::ErrorCode::Ok);
  }

  StreamServer server;
  std::unique_ptr<engine::ByteRing> ringOfReader;
  std::unique_ptr<engine::NetReader> netReader;  // stopped before its ring goes
};

// A reader that stops reading pauses the transfer instead of blocking in it: the server is left
// unread, room resumes it, and stopping returns at once.
TEST_F(NetworkTransfer, AFullRingPausesTheTransferAndRoomResumesIt) {
  ASSERT_NO_FATAL_FAILURE(startReading("/file/sine1k.mp3?loop=1", 64 * 1024));
  engine::ByteRing& ring = *ringOfReader;
  engine::NetReader& reader = *netReader;

  auto waitUntil = [](auto condition) {
    for (int i = 0; i < 500 && !condition(); ++i) {
      std::this_thread::sleep_for(10ms);
    }
    return condition();
  };
  ASSERT_TRUE(waitUntil([&] { return reader.paused(); })) << "a ring nobody reads fills and pauses the transfer";
  const std::uint64_t atPause = reader.bodyBytes();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(reader.bodyBytes(), atPause) << "nothing is taken from the server while paused";

  std::vector<std::uint8_t> chunk(64 * 1024);
  std::size_t got = 0;
  ASSERT_EQ(ring.read(chunk.data(), chunk.size(), got, 1000ms), engine::ByteRing::ReadStatus::Data);
  EXPECT_TRUE(waitUntil([&] { return reader.bodyBytes() > atPause; })) << "room resumes the transfer";

  const auto before = std::chrono::steady_clock::now();
  reader.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 1s) << "a paused transfer stops at once";
}

// A station sends twenty small pieces a second. Once it has played a while they are read a few at
// a time, yet nothing falls behind, and stopping while the pieces gather returns at once.
TEST_F(NetworkTransfer, APlayingStationIsReadInFewerRoundsWithoutFallingBehind) {
  constexpr std::uint64_t kBytesPerSecond = 16000;
  ASSERT_NO_FATAL_FAILURE(startReading("/icy/sine1k.mp3?rate=16000&burst=0.5", 1024 * 1024));
  engine::NetReader& reader = *netReader;
  std::this_thread::sleep_for(3s);

  // Every change of the byte count seen over one second is a round in which the reader took data.
  int rounds = 0;
  std::uint64_t last = reader.bodyBytes();
  const std::uint64_t atStart = last;
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < 1s) {
    std::this_thread::sleep_for(2ms);
    const std::uint64_t now = reader.bodyBytes();
    rounds += now != last ? 1 : 0;
    last = now;
  }
  EXPECT_GE(rounds, 2) << "the station is still read";
  EXPECT_LE(rounds, 10) << "twenty pieces a second are read in gathered rounds";
  EXPECT_GE(last - atStart, kBytesPerSecond * 7 / 10) << "gathering keeps up with the station";

  const auto before = std::chrono::steady_clock::now();
  reader.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 100ms) << "a stop ends the wait for more pieces";
}

}  // namespace

namespace {

// A library may end the process with exit() while a stream plays (the toolkit does when the
// display goes away): the engine's threads and the output stop before static objects are destroyed,
// so the process ends cleanly (under the sanitizers, without a report).
TEST(ProcessEnd, ExitWhileAStreamPlaysEndsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        StreamServer server;
        Session session;
        const engine::Handle stream =
            engine::streamCreateUrl(server.url("/icy/sine1k.mp3?metaint=8000").c_str(), 0, nullptr, nullptr);
        if (stream == 0 || !engine::channelPlay(stream)) {
          std::_Exit(3);
        }
        std::this_thread::sleep_for(500ms);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
