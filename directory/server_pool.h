#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <vector>

namespace qv::directory {

//! One answer of a DNS SRV lookup.
struct SrvRecord {
  QString target;
  std::uint16_t port = 443;
  std::uint16_t priority = 0;
  std::uint16_t weight = 0;
};

//! The name lookups the discovery needs, behind an interface so that tests answer them without a
//! network. Each call is blocking and bounded; called off the GUI thread.
class DirectoryResolver {
 public:
  virtual ~DirectoryResolver() = default;
  //! The SRV records of `name`; empty when there are none or the lookup failed.
  virtual std::vector<SrvRecord> srvRecords(const QString& name) = 0;
  //! The host names behind the addresses of `host` (its addresses looked up, then each address's
  //! name); empty when the lookup failed.
  virtual QStringList hostNamesBehind(const QString& host) = 0;
};

//! The system's resolver through Qt's DNS lookups, each bounded to a few seconds.
std::unique_ptr<DirectoryResolver> makeSystemResolver();

inline constexpr char kSrvName[] = "_api._tcp.radio-browser.info";
inline constexpr char kAllServersName[] = "all.api.radio-browser.info";
//! The names to try when DNS gives nothing.
QStringList builtInServers();

//! Base URLs ("https://host[:port]") in the order they are to be used: the SRV records by priority
//! (shuffled within one priority), else the names behind kAllServersName, else the built-in list,
//! each shuffled once with `random`.
QStringList discoverServers(DirectoryResolver& resolver, std::mt19937& random);

//! The base URLs of `QUORVENTALE_DIRECTORY` (comma-separated), which replace the discovery; empty
//! when it is unset or names no http(s) URL.
QStringList serversFromEnvironment();

//! The servers of one run and which one is in use. A request starts at the current one and moves
//! on after any failure; a server that failed is passed over until the others failed too.
//! Thread-safe.
class ServerPool {
 public:
  explicit ServerPool(QStringList baseUrls);

  //! Every server once, the current one first.
  QStringList order() const;
  //! `baseUrl` failed: when it is the current one, the next becomes current.
  void failed(const QString& baseUrl);
  bool empty() const { return m_servers.isEmpty(); }

 private:
  const QStringList m_servers;
  mutable std::mutex m_mutex;
  qsizetype m_current = 0;  // guarded by m_mutex
};

}  // namespace qv::directory
