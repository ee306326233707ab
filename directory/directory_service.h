#pragma once

#include "directory_answer.h"
#include "directory_station.h"
#include "server_pool.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace qv::directory {

class ClickMemory;
class FacetCache;

enum class SortOrder : std::uint8_t { Votes, Clicks, Name, Bitrate };

//! A search of the directory; empty fields do not narrow it.
struct SearchQuery {
  QString name;
  //! The name must match whole (letter case aside).
  bool nameExact = false;
  QString tag;
  QString countryCode;
  QString language;
  QString codec;
  int bitrateMin = 0;
  SortOrder order = SortOrder::Votes;
  bool hideBroken = false;
  int limit = 50;
  int offset = 0;

  bool operator==(const SearchQuery&) const = default;
};

//! The request path and query of `query` ("/json/stations/search?...").
QByteArray searchPath(const SearchQuery& query);

//! The directory's requests, blocking: call them off the GUI thread. Each tries the pool's servers
//! from the current one on and moves to the next after any failure (no connection, a time-out, a
//! status other than 2xx, an answer that is not JSON of the expected shape); the error of the last
//! is returned when none answered. Thread-safe.
class DirectoryService {
 public:
  struct Options {
    //! Makes the resolver of the discovery (used only when QUORVENTALE_DIRECTORY is unset).
    std::function<std::unique_ptr<DirectoryResolver>()> makeResolver = &makeSystemResolver;
    //! Servers to use instead of any discovery (tests, the environment); empty: discover.
    QStringList servers;
    //! Where the facet lists are cached and the clicks remembered.
    QString cacheFolder;
    QString clickFile;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
  };

  //! Options with the environment's servers (when set), the cache folder and the click file.
  static Options defaultOptions();

  explicit DirectoryService(Options options);
  ~DirectoryService();
  DirectoryService(const DirectoryService&) = delete;
  DirectoryService& operator=(const DirectoryService&) = delete;

  Parsed<DirectoryStation> search(const SearchQuery& query, const std::atomic<bool>& cancel);
  Parsed<DirectoryStation> byUuid(const QString& uuid, const std::atomic<bool>& cancel);
  Parsed<DirectoryStation> byUrl(const QString& url, const std::atomic<bool>& cancel);
  //! From the cache when it holds a list younger than a day, else from a server (then cached).
  Parsed<Facet> facets(FacetKind kind, const std::atomic<bool>& cancel);

  enum class ClickOutcome : std::uint8_t { Sent, AlreadyCounted, Failed };
  //! Counts one play of the station `uuid`, at most once a day per station.
  ClickOutcome countClick(const QString& uuid, const std::atomic<bool>& cancel);

  //! The servers of this run, in the order of use (discovered on first use).
  QStringList servers();

 private:
  struct Fetched {
    JsonAnswer json;
    QByteArray body;
  };
  //! GET `path` from the pool, failing over; the answer is JSON or `json.error` says why not.
  Fetched fetch(const QByteArray& path, const std::atomic<bool>& cancel);
  Parsed<DirectoryStation> fetchStations(const QByteArray& path, const std::atomic<bool>& cancel);
  ServerPool& pool();

  Options m_options;
  std::once_flag m_poolBuilt;
  std::unique_ptr<ServerPool> m_pool;  // set once, under m_poolBuilt
  std::unique_ptr<FacetCache> m_facetCache;
  std::unique_ptr<ClickMemory> m_clicks;
};

}  // namespace qv::directory
