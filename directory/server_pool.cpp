#include "server_pool.h"

#include "directory_station.h"

#include <QUrl>

#include <algorithm>
#include <map>

namespace qv::directory {

QStringList builtInServers() {
  return {QStringLiteral("https://de1.api.radio-browser.info"), QStringLiteral("https://de2.api.radio-browser.info"),
          QStringLiteral("https://fi1.api.radio-browser.info"), QStringLiteral("https://nl1.api.radio-browser.info")};
}

namespace {

QString baseUrlOf(const QString& host, std::uint16_t port) {
  QString name = host;
  while (name.endsWith(QLatin1Char('.'))) {
    name.chop(1);  // the root dot of a DNS answer
  }
  if (name.isEmpty()) {
    return {};
  }
  return port == 443 || port == 0 ? QStringLiteral("https://") + name
                                  : QStringLiteral("https://%1:%2").arg(name).arg(port);
}

void appendNew(QStringList& list, const QString& baseUrl) {
  if (!baseUrl.isEmpty() && !list.contains(baseUrl, Qt::CaseInsensitive)) {
    list.append(baseUrl);
  }
}

}  // namespace

QStringList discoverServers(DirectoryResolver& resolver, std::mt19937& random) {
  QStringList servers;
  // Lower priority first; among equals the order is the run's own, so that every client does not
  // start at the same mirror.
  std::map<std::uint16_t, std::vector<SrvRecord>> byPriority;
  for (const SrvRecord& record : resolver.srvRecords(QLatin1String(kSrvName))) {
    byPriority[record.priority].push_back(record);
  }
  for (auto& [priority, records] : byPriority) {
    std::shuffle(records.begin(), records.end(), random);
    for (const SrvRecord& record : records) {
      appendNew(servers, baseUrlOf(record.target, record.port));
    }
  }
  if (!servers.isEmpty()) {
    return servers;
  }
  QStringList names = resolver.hostNamesBehind(QLatin1String(kAllServersName));
  if (names.isEmpty()) {
    names = builtInServers();
    for (QString& name : names) {
      name = QUrl(name).host();
    }
  }
  std::shuffle(names.begin(), names.end(), random);
  for (const QString& name : names) {
    appendNew(servers, baseUrlOf(name, 443));
  }
  return servers;
}

QStringList serversFromEnvironment() {
  QStringList servers;
  const QString value = qEnvironmentVariable("QUORVENTALE_DIRECTORY");
  for (const QString& part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    QString base = part.trimmed();
    while (base.endsWith(QLatin1Char('/'))) {
      base.chop(1);
    }
    if (isWebLink(base)) {
      appendNew(servers, base);
    }
  }
  return servers;
}

ServerPool::ServerPool(QStringList baseUrls) : m_servers(std::move(baseUrls)) {}

QStringList ServerPool::order() const {
  qsizetype current = 0;
  {
    std::lock_guard lock(m_mutex);
    current = m_current;
  }
  QStringList order;
  order.reserve(m_servers.size());
  for (qsizetype i = 0; i < m_servers.size(); ++i) {
    order.append(m_servers[(current + i) % m_servers.size()]);
  }
  return order;
}

void ServerPool::failed(const QString& baseUrl) {
  std::lock_guard lock(m_mutex);
  if (!m_servers.isEmpty() && m_servers[m_current] == baseUrl) {
    m_current = (m_current + 1) % m_servers.size();
  }
}

}  // namespace qv::directory
