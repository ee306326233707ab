#include "request_policy.h"

namespace qv::net {

void applyRequestPolicy(CURL* curl, const RequestPolicy& policy) {
  const char* protocols = policy.plainHttpAllowed ? "http,https" : "https";
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, protocols);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, policy.maxRedirects > 0 ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, policy.maxRedirects);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(policy.connectTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(policy.totalTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(policy.maxBodyBytes));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  // curl copies the strings it is given, so the policy need not outlive the handle.
  curl_easy_setopt(curl, CURLOPT_PROXY, policy.proxy.c_str());
  if (!policy.caFile.empty()) {
    curl_easy_setopt(curl, CURLOPT_CAINFO, policy.caFile.c_str());
  }
}

}  // namespace qv::net
