#include "directory_client.h"

namespace qv::directory {

DirectoryClient::DirectoryClient(std::shared_ptr<DirectoryService> service, QObject* parent)
    : QObject(parent), m_service(std::move(service)) {
  qRegisterMetaType<SearchQuery>();
  qRegisterMetaType<std::vector<DirectoryStation>>();
  qRegisterMetaType<std::vector<Facet>>();
  qRegisterMetaType<FacetKind>();
  m_workers.setMaxThreadCount(4);
}

DirectoryClient::~DirectoryClient() {
  m_closing = true;
  if (m_lastSearchCancel) {
    *m_lastSearchCancel = true;
  }
  m_workers.waitForDone();
}

quint64 DirectoryClient::search(const SearchQuery& query) {
  if (m_lastSearchCancel) {
    *m_lastSearchCancel = true;  // its answer would be dropped anyway
  }
  const quint64 number = ++m_lastSearch;
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  m_lastSearchCancel = cancel;
  m_workers.start([this, number, query, cancel] {
    if (cancel->load() || m_closing.load()) {
      return;
    }
    Parsed<DirectoryStation> result = m_service->search(query, *cancel);
    // `this` outlives the worker: the destructor waits for the pool.
    QMetaObject::invokeMethod(
        this,
        [this, number, query, result = std::move(result)] {
          if (number == m_lastSearch) {
            emit searchFinished(number, query, result.items, result.error);
          }
        },
        Qt::QueuedConnection);
  });
  return number;
}

void DirectoryClient::requestFacets(FacetKind kind) {
  m_workers.start([this, kind] {
    Parsed<Facet> result = m_service->facets(kind, m_closing);
    QMetaObject::invokeMethod(
        this, [this, kind, result = std::move(result)] { emit facetsFinished(kind, result.items, result.error); },
        Qt::QueuedConnection);
  });
}

void DirectoryClient::countClick(const QString& uuid) {
  if (uuid.isEmpty()) {
    return;
  }
  m_workers.start([this, uuid] { m_service->countClick(uuid, m_closing); });
}

}  // namespace qv::directory
