#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>

namespace qv::update {

//! Limits of one request; a transfer that passes any of them fails.
struct HttpsGetOptions {
  std::chrono::milliseconds connectTimeout{5000};
  std::chrono::milliseconds totalTimeout{15000};
  std::size_t maxBodyBytes = 1024 * 1024;
  //! Certificates to trust instead of the system's (a test's own authority); empty: the system's.
  QString caFile;
};

//! What came back: the status and body, or why nothing usable did.
struct HttpsAnswer {
  int status = 0;
  QByteArray contentType;
  QByteArray body;
  //! Empty when the transfer completed (whatever its status).
  QString error;
};

//! A blocking GET of an https URL (plain http is refused), following no redirect. Call it off the
//! GUI thread; setting `cancel` ends the transfer within about a second.
HttpsAnswer httpsGet(const QByteArray& url, const HttpsGetOptions& options, const std::atomic<bool>& cancel);

}  // namespace qv::update
