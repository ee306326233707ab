#pragma once

#include "directory_service.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <vector>

namespace qv::directory {

//! The directory for windows: each request runs on a worker of its own pool and its answer comes
//! back as a signal on the thread that owns this object. Of the searches only the newest is
//! answered; an older one still running is cancelled. The destructor cancels what runs and waits
//! for it (a transfer ends within about a second of its cancel).
class DirectoryClient : public QObject {
  Q_OBJECT

 public:
  explicit DirectoryClient(std::shared_ptr<DirectoryService> service, QObject* parent = nullptr);
  ~DirectoryClient() override;

  //! Starts a search; returns its number (the one its answer carries).
  quint64 search(const SearchQuery& query);
  //! Asks for a facet list (from the cache when it is fresh).
  void requestFacets(FacetKind kind);
  //! Counts a play of the directory's station `uuid` (at most once a day per station); nothing is
  //! reported.
  void countClick(const QString& uuid);

  DirectoryService& service() { return *m_service; }

 signals:
  //! The newest search's stations, or its error (then `stations` is empty). An error is never "no
  //! results".
  void searchFinished(quint64 search, const qv::directory::SearchQuery& query,
                      const std::vector<qv::directory::DirectoryStation>& stations, const QString& error);
  void facetsFinished(qv::directory::FacetKind kind, const std::vector<qv::directory::Facet>& facets,
                      const QString& error);

 private:
  std::shared_ptr<DirectoryService> m_service;
  std::atomic<bool> m_closing{false};
  quint64 m_lastSearch = 0;                               // GUI thread
  std::shared_ptr<std::atomic<bool>> m_lastSearchCancel;  // GUI thread; the flag is read by its worker
  QThreadPool m_workers;                                  // last member: it is waited for first
};

}  // namespace qv::directory
