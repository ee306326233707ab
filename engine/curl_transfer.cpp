#include "curl_transfer.h"

#include "ascii_text.h"
#include "request_policy.h"

namespace qv::engine {

void CurlTransfer::addHeader(const char* line) {
  curl_slist* grown = curl_slist_append(requestHeaders.get(), line);
  if (!grown) {
    return;  // out of memory: the request goes without it
  }
  (void)requestHeaders.release();
  requestHeaders.reset(grown);
  curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, requestHeaders.get());
}

CurlTransfer makeTransfer(const std::string& url, const NetOptions& options) {
  CurlTransfer transfer;
  transfer.easy.reset(curl_easy_init());
  CURL* curl = transfer.easy.get();
  if (!curl) {
    return transfer;
  }
  net::RequestPolicy policy;
  policy.proxy = options.proxy;
  policy.connectTimeout = options.connectTimeout;
  policy.maxRedirects = NetReader::kMaxRedirects;
  // A stream has no total time-out or size: its own no-data limit ends one that stalls.
  net::applyRequestPolicy(curl, policy);
  transfer.statusAliases.reset(curl_slist_append(nullptr, "ICY 200 OK"));
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTP200ALIASES, transfer.statusAliases.get());
  return transfer;
}

std::string mediaType(std::string_view contentType) {
  std::string type = asciiLower(contentType.substr(0, contentType.find(';')));
  const auto first = type.find_first_not_of(" \t");
  const auto last = type.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : type.substr(first, last - first + 1);
}

}  // namespace qv::engine
