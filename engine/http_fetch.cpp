#include "http_fetch.h"

#include "curl_transfer.h"

#include <chrono>

namespace qv::engine {

namespace {

struct Transfer {
  Fetched* result;
  std::size_t maxBytes;
  const std::atomic<bool>* abort;
  std::chrono::milliseconds dataTimeout;
  std::chrono::steady_clock::time_point lastData;
  bool tooLarge = false;
  bool timedOut = false;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t length = size * count;
  if (transfer->result->body.size() + length > transfer->maxBytes) {
    transfer->tooLarge = true;
    return 0;
  }
  transfer->result->body.append(data, length);
  transfer->lastData = std::chrono::steady_clock::now();
  return length;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->abort->load()) {
    return 1;
  }
  if (std::chrono::steady_clock::now() - transfer->lastData > transfer->dataTimeout) {
    transfer->timedOut = true;
    return 1;
  }
  return 0;
}

}  // namespace

Fetched fetchWhole(const std::string& url, const NetOptions& options, std::size_t maxBytes,
                   const std::atomic<bool>& abort, std::optional<ByteSpan> range) {
  Fetched result;
  CurlTransfer request = makeTransfer(url, options);
  CURL* curl = request.easy.get();
  if (!curl) {
    result.error = ErrorCode::Unknown;
    return result;
  }
  Transfer transfer{&result, maxBytes, &abort, options.dataTimeout, std::chrono::steady_clock::now()};
  // Connecting counts against the no-data clock as well: the connect time-out ends it first.
  transfer.dataTimeout += options.connectTimeout;
  std::string rangeText;
  if (range && range->length > 0) {
    rangeText = std::to_string(range->offset) + "-" + std::to_string(range->offset + range->length - 1);
    curl_easy_setopt(curl, CURLOPT_RANGE, rangeText.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  const CURLcode code = curl_easy_perform(curl);

  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  const char* type = nullptr;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
  if (type) {
    result.contentType = mediaType(type);
  }
  const char* effective = nullptr;
  curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
  result.effectiveUrl = effective ? effective : url;

  if (transfer.tooLarge) {
    result.error = ErrorCode::ProtocolError;
  } else if (transfer.timedOut) {
    result.error = ErrorCode::Timeout;
  } else if (code != CURLE_OK) {
    result.error = errorFromCurl(code, !options.proxy.empty());
  } else if (result.status < 200 || result.status >= 300) {
    result.error = ErrorCode::HttpStatus;
  }
  if (result.error != ErrorCode::Ok) {
    result.body.clear();
  }
  return result;
}

}  // namespace qv::engine
