#include "http_get.h"

#include "request_policy.h"

#include <curl/curl.h>

#include <cerrno>
#include <memory>

namespace qv {
namespace {

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Transfer {
  HttpAnswer* answer;
  std::size_t maxBodyBytes;
  const std::atomic<bool>* cancel;
  std::size_t stopAfterBytes;
  bool stoppedEarly = false;
};

HttpFailure failureOf(CURLcode result, CURL* handle, const HttpAnswer& answer, bool cancelled) {
  if (answer.tooLarge) {
    return HttpFailure::TooLarge;
  }
  if (cancelled) {
    return HttpFailure::Cancelled;
  }
  long osError = 0;
  curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osError);
  curl_off_t connectTime = 0;
  curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connectTime);
  switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpFailure::Resolve;
    case CURLE_COULDNT_CONNECT:
      return osError == ECONNREFUSED ? HttpFailure::Refused : HttpFailure::Unreachable;
    case CURLE_OPERATION_TIMEDOUT:
      return connectTime > 0 ? HttpFailure::TimedOut : HttpFailure::ConnectTimedOut;
    default:
      return HttpFailure::Other;
  }
}

std::size_t receiveBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (static_cast<std::size_t>(transfer->answer->body.size()) + bytes > transfer->maxBodyBytes) {
    transfer->answer->tooLarge = true;
    return 0;  // ends the transfer with a write error
  }
  transfer->answer->body.append(data, static_cast<qsizetype>(bytes));
  if (transfer->stopAfterBytes > 0 &&
      static_cast<std::size_t>(transfer->answer->body.size()) >= transfer->stopAfterBytes) {
    transfer->stoppedEarly = true;
    return 0;  // enough: ends the transfer, which then counts as complete
  }
  return bytes;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->cancel->load() ? 1 : 0;
}

}  // namespace

HttpAnswer httpGet(const QByteArray& url, const HttpGetOptions& options, const std::atomic<bool>& cancel) {
  HttpAnswer answer;
  // curl_easy_init would set the library up on first use too, but not safely from two threads.
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  const std::unique_ptr<CURL, CurlDeleter> curl(initialised ? curl_easy_init() : nullptr);
  if (!curl) {
    answer.error = QStringLiteral("the HTTP library could not be set up");
    return answer;
  }
  Transfer transfer{&answer, options.maxBodyBytes, &cancel, options.stopAfterBytes};
  CURL* handle = curl.get();
  net::RequestPolicy policy;
  policy.proxy = options.proxy.toStdString();
  policy.connectTimeout = options.connectTimeout;
  policy.totalTimeout = options.totalTimeout;
  policy.maxBodyBytes = options.maxBodyBytes;
  policy.plainHttpAllowed = options.plainHttpAllowed;
  policy.maxRedirects = options.maxRedirects;
  policy.caFile = options.caFile.toLocal8Bit().toStdString();
  net::applyRequestPolicy(handle, policy);
  curl_easy_setopt(handle, CURLOPT_URL, url.constData());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &receiveBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &progress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
  // The directory names itself with its version; the policy's own name stands otherwise.
  if (!options.userAgent.isEmpty()) {
    curl_easy_setopt(handle, CURLOPT_USERAGENT, options.userAgent.constData());
  }
  std::unique_ptr<curl_slist, ListDeleter> statusAliases;
  if (options.icyStatusAccepted) {
    statusAliases.reset(curl_slist_append(nullptr, "ICY 200 OK"));
    curl_easy_setopt(handle, CURLOPT_HTTP200ALIASES, statusAliases.get());
  }

  const CURLcode result = curl_easy_perform(handle);
  if (result != CURLE_OK && !(transfer.stoppedEarly && result == CURLE_WRITE_ERROR)) {
    answer.failure = failureOf(result, handle, answer, cancel.load());
    // A Content-Length over the limit is refused before any of the body arrives.
    answer.tooLarge = answer.tooLarge || result == CURLE_FILESIZE_EXCEEDED;
    answer.body.clear();
    answer.error = answer.tooLarge ? QStringLiteral("the answer is larger than %1 bytes").arg(options.maxBodyBytes)
                                   : QString::fromUtf8(curl_easy_strerror(result));
    return answer;
  }
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  answer.status = static_cast<int>(status);
  const char* contentType = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType) {
    answer.contentType = contentType;
  }
  const char* redirectUrl = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &redirectUrl) == CURLE_OK && redirectUrl) {
    answer.redirectUrl = redirectUrl;
  }
  return answer;
}

}  // namespace qv
