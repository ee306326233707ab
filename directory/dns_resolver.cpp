// The discovery's name lookups through Qt's DNS client. Each runs its own event loop on the calling
// worker thread and gives up after a few seconds.
#include "server_pool.h"

#include <QDnsLookup>
#include <QEventLoop>
#include <QHostAddress>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcDirectoryDns, "qv.directory.dns", QtInfoMsg)

namespace qv::directory {
namespace {

constexpr int kLookupTimeoutMs = 4000;

// Runs `lookup` to its end or the time-out; true when it finished without error.
bool runLookup(QDnsLookup& lookup) {
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&lookup, &QDnsLookup::finished, &loop, &QEventLoop::quit);
  lookup.lookup();
  timer.start(kLookupTimeoutMs);
  if (!lookup.isFinished()) {
    loop.exec();
  }
  if (!lookup.isFinished()) {
    lookup.abort();
    qCInfo(lcDirectoryDns).noquote() << "lookup of" << lookup.name() << "timed out";
    return false;
  }
  if (lookup.error() != QDnsLookup::NoError) {
    qCInfo(lcDirectoryDns).noquote() << "lookup of" << lookup.name() << "failed:" << lookup.errorString();
    return false;
  }
  return true;
}

// "1.2.3.4" → "4.3.2.1.in-addr.arpa"
QString reverseName(const QHostAddress& address) {
  const quint32 ip = address.toIPv4Address();
  return QStringLiteral("%1.%2.%3.%4.in-addr.arpa")
      .arg(ip & 0xFF)
      .arg((ip >> 8) & 0xFF)
      .arg((ip >> 16) & 0xFF)
      .arg(ip >> 24);
}

class SystemResolver final : public DirectoryResolver {
 public:
  std::vector<SrvRecord> srvRecords(const QString& name) override {
    std::vector<SrvRecord> records;
    QDnsLookup lookup(QDnsLookup::SRV, name);
    if (runLookup(lookup)) {
      for (const QDnsServiceRecord& record : lookup.serviceRecords()) {
        records.push_back({record.target(), record.port(), record.priority(), record.weight()});
      }
    }
    return records;
  }

  QStringList hostNamesBehind(const QString& host) override {
    QStringList names;
    QDnsLookup addresses(QDnsLookup::A, host);
    if (!runLookup(addresses)) {
      return names;
    }
    for (const QDnsHostAddressRecord& record : addresses.hostAddressRecords()) {
      QDnsLookup pointer(QDnsLookup::PTR, reverseName(record.value()));
      if (!runLookup(pointer)) {
        continue;
      }
      for (const QDnsDomainNameRecord& name : pointer.pointerRecords()) {
        names.append(name.value());
      }
    }
    return names;
  }
};

}  // namespace

std::unique_ptr<DirectoryResolver> makeSystemResolver() {
  return std::make_unique<SystemResolver>();
}

}  // namespace qv::directory
