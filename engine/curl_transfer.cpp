#include "curl_transfer.h"

#include "ascii_text.h"

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
  transfer.statusAliases.reset(curl_slist_append(nullptr, "ICY 200 OK"));
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, NetReader::kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_HTTP200ALIASES, transfer.statusAliases.get());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quorventale");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_PROXY, options.proxy.c_str());  // "" means no proxy, also none from the environment
  return transfer;
}

std::string mediaType(std::string_view contentType) {
  std::string type = asciiLower(contentType.substr(0, contentType.find(';')));
  const auto first = type.find_first_not_of(" \t");
  const auto last = type.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : type.substr(first, last - first + 1);
}

}  // namespace qv::engine
