#include "net_reader.h"

#include "ascii_text.h"
#include "curl_transfer.h"
#include "header_block.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace qv::engine {

ErrorCode errorFromCurl(int curlCode, bool viaProxy) {
  switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK:
      return ErrorCode::Ok;
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ErrorCode::ProxyRefused;
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
      return viaProxy ? ErrorCode::ProxyRefused : ErrorCode::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT:
      return ErrorCode::Timeout;
    case CURLE_TOO_MANY_REDIRECTS:
      return ErrorCode::TooManyRedirects;
    case CURLE_URL_MALFORMAT:
      return ErrorCode::BadUrl;
    case CURLE_UNSUPPORTED_PROTOCOL:  // the scheme was checked before: an answer without a status line
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_BAD_CONTENT_ENCODING:
      return ErrorCode::ProtocolError;
    case CURLE_OUT_OF_MEMORY:  // curl's own header size limit ends here
      return ErrorCode::HeadersTooLarge;
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
      return ErrorCode::ClosedEarly;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
      return ErrorCode::TlsFailed;
    default:
      return ErrorCode::Unknown;
  }
}

bool NetReader::supportedUrl(std::string_view url) {
  const std::string scheme = asciiLower(std::string(url.substr(0, url.find("://"))));
  return url.find("://") != std::string_view::npos && (scheme == "http" || scheme == "https");
}

NetReader::NetReader(NetOptions options, ByteRing& ring, MetaSink meta)
    : ByteSource(ring, "qv-network"), m_options(std::move(options)), m_meta(std::move(meta)) {}

NetReader::~NetReader() {
  stop();
}

void NetReader::wakeTransfer() {
  std::lock_guard lock(m_multiMutex);
  if (m_multi) {
    curl_multi_wakeup(static_cast<CURLM*>(m_multi));
  }
}

NetAnswer NetReader::waitForAnswer() {
  std::unique_lock lock(m_answerMutex);
  m_answered.wait(lock, [this] { return m_answer.has_value(); });
  return *m_answer;
}

void NetReader::answer(ErrorCode error) {
  NetAnswer result;
  result.error = error;
  if (error == ErrorCode::Ok || error == ErrorCode::HttpStatus) {
    result.headerLines = m_lines;
    result.icyStatus = !m_lines.empty() && m_lines.front().rfind("ICY", 0) == 0;
    long status = 0;
    curl_easy_getinfo(static_cast<CURL*>(m_curl), CURLINFO_RESPONSE_CODE, &status);
    result.status = status;
    const char* effective = nullptr;
    curl_easy_getinfo(static_cast<CURL*>(m_curl), CURLINFO_EFFECTIVE_URL, &effective);
    result.effectiveUrl = effective ? effective : m_options.url;
    result.contentType = mediaType(headerValue(m_lines, "content-type").value_or(std::string()));
  }
  std::lock_guard lock(m_answerMutex);
  if (!m_answer) {
    m_answer = std::move(result);
    m_answered.notify_all();
  }
}

std::size_t NetReader::onHeader(char* data, std::size_t size, std::size_t count, void* selfPointer) {
  auto* self = static_cast<NetReader*>(selfPointer);
  const std::size_t length = size * count;
  if (self->m_headersDone) {
    return length;  // trailers
  }
  std::string line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
    line.pop_back();
  }
  // A new status line starts the answer after a redirect.
  if (isStatusLine(line)) {
    self->m_lines.clear();
    self->m_headerBytes = 0;
  }
  self->m_headerBytes += length;
  if (self->m_headerBytes > kMaxHeaderBytes || self->m_lines.size() >= kMaxHeaderLines) {
    self->m_callbackError = ErrorCode::HeadersTooLarge;
    return 0;
  }
  if (!line.empty()) {
    self->m_lines.push_back(std::move(line));
    return length;
  }
  long status = 0;
  curl_easy_getinfo(static_cast<CURL*>(self->m_curl), CURLINFO_RESPONSE_CODE, &status);
  if (status >= 300 && status < 400 && headerValue(self->m_lines, "location")) {
    return length;  // curl follows it
  }
  self->finishHeaders(self->m_curl);
  return self->m_callbackError == ErrorCode::Ok ? length : 0;
}

void NetReader::finishHeaders(void* curl) {
  m_headersDone = true;
  long status = 0;
  curl_easy_getinfo(static_cast<CURL*>(curl), CURLINFO_RESPONSE_CODE, &status);
  if (status < 200 || status >= 300) {
    m_callbackError = ErrorCode::HttpStatus;
    answer(ErrorCode::HttpStatus);
    return;
  }
  if (const auto metaint = headerValue(m_lines, "icy-metaint")) {
    const auto interval = parseIcyMetaint(*metaint);
    if (!interval) {
      m_callbackError = ErrorCode::BadIcyMetaint;
      answer(ErrorCode::BadIcyMetaint);
      return;
    }
    if (*interval > 0) {
      m_icy = std::make_unique<IcyDemuxer>(
          *interval, [this](const std::uint8_t* bytes, std::size_t n) { return m_ring.write(bytes, n); },
          [this](std::string text) { m_meta(std::move(text)); });
    }
  }
  answer(ErrorCode::Ok);
}

std::size_t NetReader::onBody(char* data, std::size_t size, std::size_t count, void* selfPointer) {
  auto* self = static_cast<NetReader*>(selfPointer);
  const std::size_t length = size * count;
  if (!self->m_headersDone) {
    // HTTP/0.9-style answers have no headers; curl refuses those before we get here.
    self->m_callbackError = ErrorCode::ProtocolError;
    return 0;
  }
  // Without room for all of it the transfer pauses: curl keeps the piece and hands it over again
  // once resumed. A piece larger than the whole ring (never with our sizes) is written in turns.
  if (length <= self->m_ring.capacity() && !self->m_ring.hasSpace(length)) {
    self->m_pausedBytes = length;
    return CURL_WRITEFUNC_PAUSE;
  }
  self->m_lastProgress = std::chrono::steady_clock::now();
  if (!self->m_firstBodyAt) {
    self->m_firstBodyAt = self->m_lastProgress;
  }
  self->addBodyBytes(length);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
  const bool accepted = self->m_icy ? self->m_icy->feed(bytes, length) : self->m_ring.write(bytes, length);
  return accepted ? length : 0;
}

int NetReader::onProgress(void* selfPointer, long long, long long, long long, long long) {
  auto* self = static_cast<NetReader*>(selfPointer);
  if (self->stopping()) {
    return 1;
  }
  if (self->m_pausedBytes > 0) {
    return 0;  // waiting for our own reader is no stall of the server
  }
  // Connecting has its own limit; the no-data clock starts once connected.
  if (!self->m_connected) {
    curl_off_t connectTime = 0;
    curl_easy_getinfo(static_cast<CURL*>(self->m_curl), CURLINFO_CONNECT_TIME_T, &connectTime);
    if (connectTime <= 0) {
      return 0;
    }
    self->m_connected = true;
    self->m_lastProgress = std::chrono::steady_clock::now();
  }
  if (std::chrono::steady_clock::now() - self->m_lastProgress > self->m_options.dataTimeout) {
    self->m_callbackError = ErrorCode::Timeout;
    return 1;
  }
  return 0;
}

bool NetReader::shouldGather(std::uint64_t roundBytes) const {
  // A station that plays sends a piece every few dozen milliseconds, each read on its own wake-up.
  // Once it has played a while, letting the pieces gather in the socket for a moment and reading
  // them together wakes this thread a fraction as often and delays nothing that is heard: the
  // decoder is seconds ahead. A large round means the server is ahead of real time (a burst on
  // connecting, a file served fast); then reading goes on at once.
  constexpr std::uint64_t kSmallRound = 16384;
  constexpr std::chrono::seconds kPlayingFor{2};
  return roundBytes > 0 && roundBytes < kSmallRound && m_firstBodyAt &&
         std::chrono::steady_clock::now() - *m_firstBodyAt >= kPlayingFor;
}

std::chrono::milliseconds NetReader::idleWait() const {
  // Nothing to read: data, a stop (curl_multi_wakeup) and curl's own timers (connecting, redirects)
  // end the wait by themselves, so the only other reason to look again is the no-data limit. An
  // Ogg station behind Icecast sends one page a second; waking every 100 ms in between cost ten
  // wake-ups for each.
  constexpr std::chrono::milliseconds kBeforeConnected{100};
  if (!m_connected) {
    return kBeforeConnected;  // the no-data clock starts once connected (onProgress)
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_lastProgress + m_options.dataTimeout -
                                                                          std::chrono::steady_clock::now());
  constexpr std::chrono::milliseconds kShortest{1};
  return std::clamp(left + kShortest, kShortest, std::max(m_options.dataTimeout, kShortest));
}

int NetReader::perform(void* curl) {
  CurlMulti multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), curl) != CURLM_OK) {
    return CURLE_OUT_OF_MEMORY;
  }
  {
    std::lock_guard lock(m_multiMutex);
    m_multi = multi.get();
  }
  // The longest a paused transfer waits for room before it looks at a stop again.
  constexpr std::chrono::milliseconds kWaitStep{100};
  constexpr std::chrono::milliseconds kGatherWait{200};
  int running = 1;
  while (running > 0 && !stopping()) {
    const std::uint64_t bytesBefore = bodyBytes();
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      break;
    }
    if (running == 0) {
      break;
    }
    if (m_pausedBytes > 0) {
      // Resume once a quarter of the ring is free, so the transfer does not stutter piece by piece.
      if (m_ring.waitForSpace(std::max(m_pausedBytes.load(), m_ring.capacity() / 4), kWaitStep)) {
        m_pausedBytes = 0;
        m_lastProgress = std::chrono::steady_clock::now();
        curl_easy_pause(static_cast<CURL*>(curl), CURLPAUSE_CONT);
      }
      continue;
    }
    if (shouldGather(bodyBytes() - bytesBefore)) {
      waitUnlessStopped(kGatherWait);
      continue;
    }
    curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(idleWait().count()), nullptr);
  }
  CURLcode result = stopping() ? CURLE_ABORTED_BY_CALLBACK : CURLE_OK;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
    if (message->msg == CURLMSG_DONE) {
      result = message->data.result;
    }
  }
  {
    std::lock_guard lock(m_multiMutex);
    m_multi = nullptr;
  }
  curl_multi_remove_handle(multi.get(), curl);
  return result;
}

ErrorCode NetReader::produce() {
  CurlTransfer transfer = makeTransfer(m_options.url, m_options);
  CURL* curl = transfer.easy.get();
  if (!curl) {
    answer(ErrorCode::Unknown);
    return ErrorCode::Ok;  // the opening thread has the failure
  }
  m_curl = curl;
  transfer.addHeader("Icy-MetaData: 1");
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &NetReader::onHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &NetReader::onBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &NetReader::onProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 16384L);
  m_lastProgress = std::chrono::steady_clock::now();

  const auto result = static_cast<CURLcode>(perform(curl));
  ErrorCode error =
      m_callbackError != ErrorCode::Ok ? m_callbackError : errorFromCurl(result, !m_options.proxy.empty());
  if (stopping()) {
    error = ErrorCode::Ok;  // our own stop, no failure
  } else if (result == CURLE_OK && !m_headersDone) {
    error = ErrorCode::ClosedEarly;
  }
  if (!m_headersDone) {
    answer(error == ErrorCode::Ok ? ErrorCode::ClosedEarly : error);
    return ErrorCode::Ok;  // the opening thread has the failure
  }
  return error;
}

}  // namespace qv::engine
