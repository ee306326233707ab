#pragma once

#include "byte_ring.h"
#include "byte_source.h"
#include "engine_types.h"
#include "icy_demuxer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::engine {

struct NetOptions {
  std::string url;
  std::string proxy;  // empty: direct
  std::chrono::milliseconds connectTimeout{5000};
  std::chrono::milliseconds dataTimeout{10000};
};

//! The engine's code for a libcurl result code.
ErrorCode errorFromCurl(int curlCode, bool viaProxy);

//! The server's answer once its headers are complete.
struct NetAnswer {
  ErrorCode error = ErrorCode::Ok;
  long status = 0;
  std::vector<std::string> headerLines;  // status line first
  std::string contentType;               // lower case, without parameters
  bool icyStatus = false;                // the status line was "ICY ..."
  std::string effectiveUrl;              // where redirects ended
};

//! One stream's network thread: a libcurl transfer whose body goes into a ByteRing, de-interleaved
//! when the server sends ICY metadata. Header block and metadata are bounded; redirects are
//! followed a bounded number of times; no answer or no data for `dataTimeout` ends the transfer.
//! A full ring pauses the transfer (the server is simply not read meanwhile) and room resumes
//! it, so the thread never blocks where stop() could not reach it. Once a station has played a
//! while, its small pieces are read a few at a time rather than each on arrival.
class NetReader final : public ByteSource {
 public:
  using MetaSink = std::function<void(std::string text)>;

  NetReader(NetOptions options, ByteRing& ring, MetaSink meta);
  ~NetReader() override;
  NetReader(const NetReader&) = delete;
  NetReader& operator=(const NetReader&) = delete;

  //! Blocks until the headers are complete or the transfer failed. endError() is the error that
  //! ended the transfer after them; bodyBytes() counts the body with its metadata.
  NetAnswer waitForAnswer();
  //! Whether `url` names a scheme we stream from (http, https).
  static bool supportedUrl(std::string_view url);
  //! Whether the transfer waits for room in the ring (the server is not being read).
  bool paused() const { return m_pausedBytes.load() > 0; }

  static constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
  static constexpr std::size_t kMaxHeaderLines = 200;
  static constexpr long kMaxRedirects = 8;

 private:
  static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
  static int onProgress(void* self, long long, long long, long long, long long);
  ErrorCode produce() override;
  void wakeTransfer() override;
  //! Runs the transfer until it ends or is stopped; a paused transfer resumes once the ring has
  //! room. Returns curl's result.
  int perform(void* curl);
  //! Whether to let a playing station's next pieces gather before reading on, after a round that
  //! brought `roundBytes`.
  bool shouldGather(std::uint64_t roundBytes) const;
  //! How long to wait for the network when there is nothing to read.
  std::chrono::milliseconds idleWait() const;
  void finishHeaders(void* curl);
  void answer(ErrorCode error);

  NetOptions m_options;
  MetaSink m_meta;

  // Network thread only.
  std::vector<std::string> m_lines;
  std::size_t m_headerBytes = 0;
  bool m_headersDone = false;
  bool m_connected = false;
  ErrorCode m_callbackError = ErrorCode::Ok;
  std::unique_ptr<IcyDemuxer> m_icy;
  std::chrono::steady_clock::time_point m_lastProgress;
  std::optional<std::chrono::steady_clock::time_point> m_firstBodyAt;
  void* m_curl = nullptr;
  std::atomic<std::size_t> m_pausedBytes{0};  // network thread writes: the piece that did not fit; 0: running

  // stop() wakes the transfer's wait for the network through its multi handle (wakeTransfer), and
  // its wait for more of a station's pieces through the base's wake-up.
  std::mutex m_multiMutex;
  void* m_multi = nullptr;  // m_multiMutex

  // Hand-over of the answer to the opening thread.
  std::mutex m_answerMutex;
  std::condition_variable m_answered;
  std::optional<NetAnswer> m_answer;  // m_answerMutex
};

}  // namespace qv::engine
