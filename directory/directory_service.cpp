#include "directory_service.h"

#include "click_memory.h"
#include "facet_cache.h"
#include "http_get.h"
#include "version.h"

#include <QLoggingCategory>
#include <QUrl>
#include <QUrlQuery>

#include <random>

Q_LOGGING_CATEGORY(lcDirectory, "qv.directory", QtInfoMsg)

namespace qv::directory {
namespace {

QString orderName(SortOrder order) {
  switch (order) {
    case SortOrder::Clicks:
      return QStringLiteral("clickcount");
    case SortOrder::Name:
      return QStringLiteral("name");
    case SortOrder::Bitrate:
      return QStringLiteral("bitrate");
    case SortOrder::Votes:
      break;
  }
  return QStringLiteral("votes");
}

QByteArray withQuery(const char* path, const QUrlQuery& query) {
  return QByteArray(path) + '?' + query.toString(QUrl::FullyEncoded).toLatin1();
}

// The pieces of a uuid only: it becomes part of a request path.
bool isUuid(const QString& uuid) {
  if (uuid.isEmpty() || uuid.size() > 64) {
    return false;
  }
  return std::all_of(uuid.begin(), uuid.end(), [](QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) || c == QLatin1Char('-');
  });
}

QByteArray facetPath(FacetKind kind) {
  switch (kind) {
    case FacetKind::Countries:
      return "/json/countries";
    case FacetKind::Languages:
      return "/json/languages";
    case FacetKind::Tags:
      break;
  }
  // The tags of a few stations only are noise; the hidebroken lists stay small enough.
  return "/json/tags?order=stationcount&reverse=true&hidebroken=true&limit=1000";
}

}  // namespace

QByteArray searchPath(const SearchQuery& query) {
  QUrlQuery items;
  const auto add = [&items](const char* key, const QString& value) {
    if (!value.trimmed().isEmpty()) {
      items.addQueryItem(QLatin1String(key), QString::fromUtf8(QUrl::toPercentEncoding(value.trimmed())));
    }
  };
  add("name", query.name);
  if (query.nameExact) {
    items.addQueryItem(QStringLiteral("nameExact"), QStringLiteral("true"));
  }
  add("tag", query.tag);
  add("countrycode", query.countryCode);
  add("language", query.language);
  add("codec", query.codec);
  if (query.bitrateMin > 0) {
    items.addQueryItem(QStringLiteral("bitrateMin"), QString::number(query.bitrateMin));
  }
  items.addQueryItem(QStringLiteral("order"), orderName(query.order));
  // Most votes, clicks and the highest bitrate first; names from A.
  items.addQueryItem(QStringLiteral("reverse"),
                     query.order == SortOrder::Name ? QStringLiteral("false") : QStringLiteral("true"));
  items.addQueryItem(QStringLiteral("hidebroken"), query.hideBroken ? QStringLiteral("true") : QStringLiteral("false"));
  items.addQueryItem(QStringLiteral("limit"), QString::number(std::clamp(query.limit, 1, 1000)));
  items.addQueryItem(QStringLiteral("offset"), QString::number(std::max(query.offset, 0)));
  return withQuery("/json/stations/search", items);
}

DirectoryService::Options DirectoryService::defaultOptions() {
  Options options;
  options.servers = serversFromEnvironment();
  options.cacheFolder = FacetCache::defaultFolder();
  options.clickFile = ClickMemory::defaultFile();
  return options;
}

DirectoryService::DirectoryService(Options options)
    : m_options(std::move(options)),
      m_facetCache(std::make_unique<FacetCache>(m_options.cacheFolder)),
      m_clicks(std::make_unique<ClickMemory>(m_options.clickFile)) {}

DirectoryService::~DirectoryService() = default;

ServerPool& DirectoryService::pool() {
  std::call_once(m_poolBuilt, [this] {
    QStringList servers = m_options.servers;
    if (servers.isEmpty()) {
      std::random_device seed;
      std::mt19937 random(seed());
      const std::unique_ptr<DirectoryResolver> resolver = m_options.makeResolver();
      servers = discoverServers(*resolver, random);
    }
    qCInfo(lcDirectory).noquote() << "servers:" << servers.join(QStringLiteral(", "));
    m_pool = std::make_unique<ServerPool>(servers);
  });
  return *m_pool;
}

QStringList DirectoryService::servers() {
  return pool().order();
}

DirectoryService::Fetched DirectoryService::fetch(const QByteArray& path, const std::atomic<bool>& cancel) {
  Fetched fetched;
  ServerPool& servers = pool();
  if (servers.empty()) {
    fetched.json.error = QStringLiteral("no directory server is known");
    return fetched;
  }
  HttpGetOptions options;
  options.connectTimeout = std::chrono::seconds(5);
  options.totalTimeout = std::chrono::seconds(15);
  options.maxBodyBytes = std::size_t{16} << 20;
  options.maxRedirects = 3;
  options.userAgent = QByteArray("Quorventale/") + kVersion;
  QStringList failures;
  for (const QString& base : servers.order()) {
    if (cancel.load()) {
      fetched.json.error = QStringLiteral("cancelled");
      return fetched;
    }
    // A mirror named by the user may be plain http; the discovered ones never are.
    options.plainHttpAllowed = base.startsWith(QLatin1String("http:"), Qt::CaseInsensitive);
    const HttpAnswer answer = httpGet(base.toUtf8() + path, options, cancel);
    QString error = answer.error;
    if (error.isEmpty() && (answer.status < 200 || answer.status > 299)) {
      error = QStringLiteral("HTTP status %1").arg(answer.status);
    }
    if (error.isEmpty()) {
      fetched.json = readJson(answer.body);
      error = fetched.json.error;
    }
    if (error.isEmpty()) {
      fetched.body = answer.body;
      return fetched;
    }
    if (answer.failure == HttpFailure::Cancelled || cancel.load()) {
      fetched.json.error = QStringLiteral("cancelled");
      return fetched;
    }
    qCInfo(lcDirectory).noquote() << base << "failed:" << error;
    failures.append(QStringLiteral("%1: %2").arg(QUrl(base).host(), error));
    servers.failed(base);
  }
  fetched.json = {};
  fetched.json.error = failures.join(QStringLiteral("; "));
  return fetched;
}

Parsed<DirectoryStation> DirectoryService::fetchStations(const QByteArray& path, const std::atomic<bool>& cancel) {
  const Fetched fetched = fetch(path, cancel);
  if (!fetched.json.error.isEmpty()) {
    return {{}, fetched.json.error};
  }
  return stationsFromJson(fetched.json.document);
}

Parsed<DirectoryStation> DirectoryService::search(const SearchQuery& query, const std::atomic<bool>& cancel) {
  return fetchStations(searchPath(query), cancel);
}

Parsed<DirectoryStation> DirectoryService::byUuid(const QString& uuid, const std::atomic<bool>& cancel) {
  if (!isUuid(uuid)) {
    return {{}, QStringLiteral("not a station id: %1").arg(uuid)};
  }
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("uuids"), uuid);
  return fetchStations(withQuery("/json/stations/byuuid", query), cancel);
}

Parsed<DirectoryStation> DirectoryService::byUrl(const QString& url, const std::atomic<bool>& cancel) {
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("url"), QString::fromLatin1(QUrl::toPercentEncoding(url)));
  return fetchStations(withQuery("/json/stations/byurl", query), cancel);
}

Parsed<Facet> DirectoryService::facets(FacetKind kind, const std::atomic<bool>& cancel) {
  if (const std::optional<QByteArray> cached = m_facetCache->read(kind, m_options.now())) {
    Parsed<Facet> parsed = parseFacets(*cached, kind);
    if (parsed.ok()) {
      return parsed;
    }
  }
  const Fetched fetched = fetch(facetPath(kind), cancel);
  if (!fetched.json.error.isEmpty()) {
    return {{}, fetched.json.error};
  }
  Parsed<Facet> parsed = facetsFromJson(fetched.json.document, kind);
  if (parsed.ok()) {
    m_facetCache->write(kind, fetched.body);
  }
  return parsed;
}

DirectoryService::ClickOutcome DirectoryService::countClick(const QString& uuid, const std::atomic<bool>& cancel) {
  if (!isUuid(uuid) || !m_clicks->claim(uuid, m_options.now())) {
    return ClickOutcome::AlreadyCounted;
  }
  // The answer is the station with its link; only that it arrived matters.
  const Fetched fetched = fetch("/json/url/" + uuid.toLatin1(), cancel);
  return fetched.json.error.isEmpty() ? ClickOutcome::Sent : ClickOutcome::Failed;
}

}  // namespace qv::directory
