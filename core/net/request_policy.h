#pragma once

// The one policy of every HTTP request the program makes: streams and playlist links (the
// engine), station logos and the update check (the core HTTP helper). Free of Qt, so that the
// engine can use it too.

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace qv::net {

inline constexpr const char* kUserAgent = "Quorventale";

//! What one request may do.
struct RequestPolicy {
  //! "(user:pass@)server:port" from the settings; empty: direct, also when the environment names a
  //! proxy (the setting is the user's only say).
  std::string proxy;
  std::chrono::milliseconds connectTimeout{5000};
  //! The whole transfer; 0: no limit (a stream lasts as long as it plays).
  std::chrono::milliseconds totalTimeout{0};
  //! The largest body taken; 0: no limit.
  std::uint64_t maxBodyBytes = 0;
  //! http and https, or https only.
  bool plainHttpAllowed = true;
  //! Redirects followed, to the protocols allowed above; 0 follows none.
  long maxRedirects = 0;
  //! Certificates to trust instead of the system's (a test's own authority); empty: the system's.
  std::string caFile;
};

//! Puts `policy` on `curl`: protocols (also of redirects), redirects, time-outs, the size limit,
//! the proxy, our User-Agent, and no signals (the requests run on threads of their own).
void applyRequestPolicy(CURL* curl, const RequestPolicy& policy);

}  // namespace qv::net
