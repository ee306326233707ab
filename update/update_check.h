#pragma once

#include "http_get.h"
#include "update_answer.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <thread>

namespace qv::update {

//! The maker's web site: the environment variable QUORVENTALE_UPDATE_HOST when it is set, else the
//! host this build was configured with (empty for builds that have none).
QString productHost();
//! The update endpoint and the product page on `host`.
QByteArray updateUrl(const QString& host);
QUrl productPageUrl(const QString& host);

//! The once-per-run question for a newer version. The request runs on a thread of its own with
//! time-outs, so the window that starts it never waits; the answer comes back on the thread that
//! owns this object. Destroying it cancels a request still running and waits for its thread.
class UpdateCheck : public QObject {
  Q_OBJECT

 public:
  explicit UpdateCheck(QObject* parent = nullptr);
  ~UpdateCheck() override;
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  //! Asks `host` once; an empty host asks nobody and says so in the log. False when nothing was sent.
  bool start(const QString& host, const HttpGetOptions& options = {});

 signals:
  //! The endpoint names a version other than ours.
  void offered(const qv::update::UpdateOffer& offer);
  //! The request is over, whatever came of it (after offered, when there was an offer).
  void finished();

 private:
  void handleAnswer(const HttpAnswer& answer);

  std::thread m_worker;
  std::atomic<bool> m_cancel{false};
};

}  // namespace qv::update
