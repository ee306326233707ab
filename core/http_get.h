#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>

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
};

//! A blocking GET. Call it off the GUI thread; setting `cancel` ends the transfer within about a
//! second.
HttpAnswer httpGet(const QByteArray& url, const HttpGetOptions& options, const std::atomic<bool>& cancel);

}  // namespace qv
