// quorventale-cli: the player's command-line tool.
#include "cli_directory.h"
#include "cli_playlists.h"
#include "engine.h"
#include "icy_title.h"
#include "reconnect_policy.h"
#include "title_text.h"
#include "version.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace engine = qv::engine;

namespace {

constexpr char kUsage[] =
    "Usage: quorventale-cli --version\n"
    "       quorventale-cli --help\n"
    "       quorventale-cli probe URL\n"
    "       quorventale-cli play URL [--seconds N] [--volume P] [--rate HZ] [--reconnect]\n"
    "       quorventale-cli import FILE\n"
    "       quorventale-cli convert IN OUT\n"
    "       quorventale-cli search TERM [--tag T] [--country CC] [--limit N]\n"
    "       quorventale-cli check FILE\n"
    "\n"
    "probe prints the server's status line, headers and tags, then exits.\n"
    "play plays through the default output (N seconds, or until the stream ends) at volume P\n"
    "(0..100, default 100), and prints every sync, title change and error as it happens. The output\n"
    "runs at HZ (default 48000, the rate of most streams and sound servers, so nothing is resampled).\n"
    "import prints the stations of a playlist (m3u, m3u8, txt, lnk, pls, ini, xspf, xml or a zip of them),\n"
    "one a line: name, link, tag and logo separated by tabs; links that are not http or https are left\n"
    "out with one message.\n"
    "convert reads IN the same way and writes its stations to OUT, as INI (.ini) or PLS (.pls).\n"
    "A file that cannot be read ends with a message and exit status 1.\n"
    "With --reconnect a stream that ends by itself is opened again after 1, 2, 4, 8, 16, then 30 s,\n"
    "until it plays or 10 attempts or 5 minutes have passed.\n"
    "search asks the community station directory and prints one station a line: name, link, country,\n"
    "tags, codec and bitrate separated by tabs. check probes every station of a playlist file and\n"
    "prints each one's verdict (alive, dead with the reason, moved), name and link, and the\n"
    "directory's current link for a dead or moved one.\n";

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_ended{false};
std::mutex g_printMutex;

void onSignal(int) {
  g_interrupted = true;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const std::chrono::steady_clock::time_point g_launch = std::chrono::steady_clock::now();

template <typename... Args>
void say(const char* format, Args... args) {
  std::lock_guard lock(g_printMutex);
  std::printf("[%7.3f] ", secondsSince(g_launch));
  std::printf(format, args...);
  std::fflush(stdout);
}

int failure(const char* what) {
  const engine::ErrorCode code = engine::errorGetCode();
  say("error: %s: %s (error code %d)\n", what, engine::errorName(code), static_cast<int>(code));
  return 1;
}

void printList(const char* name, const char* list) {
  if (!list) {
    return;
  }
  std::printf("%s:\n", name);
  for (const char* line = list; *line; line += std::strlen(line) + 1) {
    std::printf("  %s\n", line);
  }
}

// The status code of the newest answer, for the reconnection's choice after a failed open.
std::atomic<int> g_lastStatus{0};

void onDownload(const char* headers, std::uint32_t, void*) {
  say("status: %s\n", headers);
  g_lastStatus = qv::playback::statusCodeOf(headers);
}

void onSync(engine::Handle, engine::Handle stream, std::uint32_t data, void* user) {
  const auto type = static_cast<engine::SyncType>(reinterpret_cast<std::uintptr_t>(user));
  switch (type) {
    case engine::SyncType::Meta: {
      const engine::TagText meta = engine::channelGetTags(stream, engine::Tag::Meta);
      const std::string text = meta ? *meta : std::string();
      say("sync META: %s\n", text.c_str());
      // A block without the field prints an empty title.
      const std::string_view title = engine::icyStreamTitle(text).value_or(std::string_view());
      say("title: %s\n", std::string(engine::cutTitle(title)).c_str());
      break;
    }
    case engine::SyncType::OggChange: {
      say("sync OGG_CHANGE\n");
      if (const engine::TagText list = engine::channelGetTags(stream, engine::Tag::Ogg)) {
        std::lock_guard lock(g_printMutex);
        printList("ogg comments", list->c_str());
      }
      break;
    }
    case engine::SyncType::Stall:
      say("sync STALL %s\n", data == 0 ? "stalled" : "resumed");
      break;
    case engine::SyncType::End:
      say("sync END\n");
      g_ended = true;
      break;
    case engine::SyncType::HlsSegment:
      say("sync HLS_SEGMENT\n");
      break;
  }
}

void printTagsAndInfo(engine::Handle stream) {
  std::lock_guard lock(g_printMutex);
  const auto printTag = [stream](const char* title, engine::Tag tag) {
    const engine::TagText list = engine::channelGetTags(stream, tag);
    printList(title, list ? list->c_str() : nullptr);
  };
  printTag("ICY headers", engine::Tag::Icy);
  printTag("HTTP headers", engine::Tag::Http);
  if (const engine::TagText meta = engine::channelGetTags(stream, engine::Tag::Meta)) {
    std::printf("META: %s\n", meta->c_str());
  }
  printTag("OGG comments", engine::Tag::Ogg);
  engine::ChannelInfo info;
  if (engine::channelGetInfo(stream, &info)) {
    std::printf("format: %s, %d Hz, %d channels, %d kbit/s\n", info.codec, info.rateHz, info.channels,
                info.bitrateKbps);
  }
  std::fflush(stdout);
}

int probe(const char* url) {
  if (!engine::init(0, 44100)) {
    return failure("cannot set up the engine");
  }
  const engine::Handle stream = engine::streamCreateUrl(url, 0, &onDownload, nullptr);
  if (!stream) {
    const int status = failure("cannot open the stream");
    engine::release();
    return status;
  }
  // The first ICY metadata block follows the first icy-metaint bytes; wait a little for it.
  const engine::TagText icy = engine::channelGetTags(stream, engine::Tag::Icy);
  const engine::TagText http = engine::channelGetTags(stream, engine::Tag::Http);
  const bool metadataExpected = [&] {
    for (const engine::TagText& list : {icy, http}) {
      for (const char* line = list ? list->c_str() : nullptr; line && *line; line += std::strlen(line) + 1) {
        if (std::strncmp(line, "icy-metaint:", 12) == 0) {
          return true;
        }
      }
    }
    return false;
  }();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (metadataExpected && !engine::channelGetTags(stream, engine::Tag::Meta) &&
         std::chrono::steady_clock::now() < deadline && !g_interrupted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  printTagsAndInfo(stream);
  engine::streamFree(stream);
  engine::release();
  return 0;
}

//! Opens `url` with the syncs and the volume set; 0 with the engine's error code on failure.
engine::Handle openStream(const char* url, int volumePercent) {
  g_lastStatus = 0;
  const engine::Handle stream = engine::streamCreateUrl(url, 0, &onDownload, nullptr);
  if (!stream) {
    return 0;
  }
  say("connected\n");
  printTagsAndInfo(stream);
  for (auto type : {engine::SyncType::Meta, engine::SyncType::OggChange, engine::SyncType::Stall, engine::SyncType::End,
                    engine::SyncType::HlsSegment}) {
    engine::channelSetSync(stream, type, &onSync,
                           reinterpret_cast<void*>(static_cast<std::uintptr_t>(static_cast<int>(type))));
  }
  engine::channelSetAttribute(stream, engine::Attribute::Volume, static_cast<float>(volumePercent) / 100.0f);
  return stream;
}

//! Sleeps for `wait`, or less when interrupted or the play time runs out; false then.
bool waitFor(std::chrono::milliseconds wait, std::chrono::steady_clock::time_point until) {
  const auto end = std::min(std::chrono::steady_clock::now() + wait, until);
  while (!g_interrupted && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return !g_interrupted && std::chrono::steady_clock::now() < until;
}

struct PlayOptions {
  double seconds = 0;
  int volumePercent = 100;
  int rateHz = 48000;
  bool reconnect = false;
};

//! After the stream ended: opens it again as the reconnection rule says. Returns the new stream,
//! or 0 when the attempts are spent, a failure will not heal, or the user or the time ended it.
engine::Handle reconnect(const char* url, const PlayOptions& options, qv::playback::ReconnectPolicy& policy,
                         std::chrono::steady_clock::time_point until) {
  using qv::playback::ReconnectClock;
  std::optional<std::chrono::milliseconds> wait = policy.stationLost(ReconnectClock::now());
  while (wait) {
    say("reconnecting (attempt %d) in %.1f s\n", policy.attempt(), static_cast<double>(wait->count()) / 1000.0);
    if (!waitFor(*wait, until)) {
      return 0;
    }
    if (const engine::Handle stream = openStream(url, options.volumePercent)) {
      return stream;
    }
    const engine::ErrorCode code = engine::errorGetCode();
    say("attempt %d failed: %s (error code %d)\n", policy.attempt(), engine::errorName(code), static_cast<int>(code));
    wait = policy.attemptFailed(code, g_lastStatus, ReconnectClock::now());
  }
  say("error: the station did not come back\n");
  return 0;
}

int play(const char* url, const PlayOptions& options) {
  if (!engine::init(-1, options.rateHz, engine::OutputOnFirstPlay)) {
    return failure("cannot open the audio output");
  }
  engine::Handle stream = openStream(url, options.volumePercent);
  if (!stream) {
    const int status = failure("cannot open the stream");
    engine::release();
    return status;
  }
  qv::playback::ReconnectPolicy policy;
  const auto start = std::chrono::steady_clock::now();
  const auto until = options.seconds > 0
                         ? start + std::chrono::milliseconds(static_cast<long long>(options.seconds * 1000))
                         : std::chrono::steady_clock::time_point::max();
  int status = 0;
  while (stream != 0) {
    if (!engine::channelPlay(stream)) {
      status = failure("cannot play through the audio output");
      break;
    }
    bool playingSaid = false;
    while (!g_interrupted && !g_ended && std::chrono::steady_clock::now() < until) {
      if (!playingSaid && engine::channelIsActive(stream) == engine::ChannelState::Playing) {
        say("playing\n");
        playingSaid = true;
        policy.playing(qv::playback::ReconnectClock::now());
      }
      // Quick until the first sound (its time is reported), then rarely: the tool stays light.
      std::this_thread::sleep_for(std::chrono::milliseconds(playingSaid ? 250 : 2));
    }
    engine::streamFree(stream);
    stream = 0;
    if (g_ended && options.reconnect && !g_interrupted && std::chrono::steady_clock::now() < until) {
      g_ended = false;  // no callback of the freed stream runs any more
      stream = reconnect(url, options, policy, until);
      status = stream == 0 && !g_interrupted && std::chrono::steady_clock::now() < until ? 1 : 0;
    }
  }
  engine::release();
  return status;
}

bool parseNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end && end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("quorventale-cli %s (engine %s %u.%u)\n", qv::kVersion, engine::kLibraryName, engine::version() >> 24,
                (engine::version() >> 16) & 0xFF);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (const int status = runPlaylistCommand(argc, argv); status >= 0) {
    return status;
  }
  if (const int status = runDirectoryCommand(argc, argv); status >= 0) {
    return status;
  }
  std::signal(SIGINT, &onSignal);
  std::signal(SIGTERM, &onSignal);
  if (argc == 3 && std::strcmp(argv[1], "probe") == 0) {
    return probe(argv[2]);
  }
  if (argc >= 3 && std::strcmp(argv[1], "play") == 0) {
    double seconds = 0;
    double volume = 100;
    double rate = 48000;
    bool reconnect = false;
    struct Option {
      const char* name;
      double* value;
      double min;
      double max;
    };
    const Option options[] = {
        {"--seconds", &seconds, 0, 1e9}, {"--volume", &volume, 0, 100}, {"--rate", &rate, 8000, 192000}};
    for (int i = 3; i < argc; i += 2) {
      if (std::strcmp(argv[i], "--reconnect") == 0) {
        reconnect = true;
        --i;  // a switch without a value
        continue;
      }
      const Option* option = nullptr;
      for (const Option& candidate : options) {
        if (std::strcmp(argv[i], candidate.name) == 0) {
          option = &candidate;
        }
      }
      double value = 0;
      if (!option || i + 1 >= argc || !parseNumber(argv[i + 1], value) || value < option->min || value > option->max) {
        std::fputs(kUsage, stderr);
        return 2;
      }
      *option->value = value;
    }
    return play(argv[2], {seconds, static_cast<int>(volume), static_cast<int>(rate), reconnect});
  }
  std::fputs(kUsage, stderr);
  return 2;
}
