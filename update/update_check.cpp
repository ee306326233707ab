#include "update_check.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>

Q_LOGGING_CATEGORY(lcUpdate, "qv.update", QtInfoMsg)

namespace qv::update {

QString productHost() {
  if (qEnvironmentVariableIsSet("QUORVENTALE_UPDATE_HOST")) {
    return qEnvironmentVariable("QUORVENTALE_UPDATE_HOST");
  }
  return QStringLiteral(QV_PRODUCT_HOST);
}

QByteArray updateUrl(const QString& host) {
  return "https://" + host.toUtf8() + "/quor/quorupdate.php";
}

QUrl productPageUrl(const QString& host) {
  return QUrl(QStringLiteral("https://") + host + QStringLiteral("/soft/quorventale-online-radio-player/"));
}

UpdateCheck::UpdateCheck(QObject* parent) : QObject(parent) {}

UpdateCheck::~UpdateCheck() {
  m_cancel = true;
  if (m_worker.joinable()) {
    m_worker.join();
  }
}

bool UpdateCheck::start(const QString& host, const HttpGetOptions& options) {
  if (host.isEmpty()) {
    qCInfo(lcUpdate) << "update check skipped: this build names no product host";
    return false;
  }
  if (m_worker.joinable()) {
    return false;  // once per run
  }
  const QByteArray url = updateUrl(host);
  // Whatever the caller's limits, the question goes over https to the host itself.
  HttpGetOptions httpsOnly = options;
  httpsOnly.plainHttpAllowed = false;
  httpsOnly.maxRedirects = 0;
  // The worker reports through a queued call: the answer is handled on this object's thread, and
  // a report still queued when this object goes is dropped with it (the destructor joins first).
  m_worker = std::thread([this, url, httpsOnly] {
    const HttpAnswer answer = httpGet(url, httpsOnly, m_cancel);
    if (!m_cancel) {
      QMetaObject::invokeMethod(
          this, [this, answer] { handleAnswer(answer); }, Qt::QueuedConnection);
    }
  });
  return true;
}

void UpdateCheck::handleAnswer(const HttpAnswer& answer) {
  if (!answer.error.isEmpty()) {
    qCInfo(lcUpdate).noquote() << "update check failed:" << answer.error;
  } else if (answer.status != 200) {
    qCInfo(lcUpdate) << "update check: status" << answer.status;
  }
  if (const std::optional<UpdateOffer> offer = readUpdateAnswer(answer, ProgramVersion())) {
    emit offered(*offer);
  } else if (answer.error.isEmpty() && answer.status == 200) {
    qCInfo(lcUpdate) << "update check: the answer offers no update or cannot be read";
  }
  emit finished();
}

}  // namespace qv::update
