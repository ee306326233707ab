#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace qv {

//! Limits of one request; a transfer that passes any of them fails. They become the program's one
//! request policy (qv::net::RequestPolicy), which the streams use too.
struct HttpGetOptions {
  //! The proxy setting, "(user:pass@)server:port"; empty: direct.
  QString proxy;
  std::chrono::milliseconds connectTimeout{5000};
  std::chrono::milliseconds totalTimeout{15000};
  std::size_t maxBodyBytes = 1024 * 1024;
  //! https only (the update check), or http too (station logos).
  bool plainHttpAllowed = false;
  //! Redirects followed, to the protocols allowed above; 0 follows none.
  long maxRedirects = 0;
  //! Certificates to trust instead of the system's (a test's own authority); empty: the system's.
  QString caFile;
  //! Sent as the User-Agent header.
  QByteArray userAgent = "Quorventale";
  //! When not 0, the transfer ends as a success once this many body bytes came (a stream's first
  //! bytes); the body then holds at least those.
  std::size_t stopAfterBytes = 0;
  //! A SHOUTcast server's "ICY 200 OK" counts as status 200 (station links).
  bool icyStatusAccepted = false;
};

//! Why a transfer did not complete, for callers that act on the kind of failure.
enum class HttpFailure : std::uint8_t {
  None,
  //! The host name did not resolve.
  Resolve,
  //! The host answered the connection with a refusal.
  Refused,
  //! No route to the host or network: nothing answered at all.
  Unreachable,
  //! The time-out passed before a connection stood.
  ConnectTimedOut,
  //! The time-out passed after the connection stood.
  TimedOut,
  TooLarge,
  Cancelled,
  Other,
};

//! What came back: the status and body, or why nothing usable did.
struct HttpAnswer {
  int status = 0;
  QByteArray contentType;
  QByteArray body;
  //! Empty when the transfer completed (whatever its status); the body is empty otherwise.
  QString error;
  //! The body passed `maxBodyBytes` (then `error` is set too).
  bool tooLarge = false;
  HttpFailure failure = HttpFailure::None;
  //! Where a redirect status (3xx) that was not followed points; empty otherwise.
  QByteArray redirectUrl;
};

//! A blocking GET. Call it off the GUI thread; setting `cancel` ends the transfer within about a
//! second.
HttpAnswer httpGet(const QByteArray& url, const HttpGetOptions& options, const std::atomic<bool>& cancel);

}  // namespace qv
