#include "station_check.h"

#include "directory_service.h"

#include <QPointer>

#include <mutex>

namespace qv::directory {
namespace {

std::optional<Replacement> pick(const std::vector<DirectoryStation>& found, const QString& oldLink) {
  for (const DirectoryStation& candidate : found) {
    const QString link = candidate.playableLink();
    if (!link.isEmpty() && link != oldLink && !candidate.broken) {
      return Replacement{candidate.name, link, candidate.logoLink(), candidate.uuid};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Replacement> findReplacement(DirectoryService* directory, const qv::stations::StationEntry& station,
                                           const ProbeResult& probe, const std::atomic<bool>& cancel) {
  if (probe.verdict != Verdict::Dead && probe.verdict != Verdict::Moved) {
    return std::nullopt;
  }
  std::optional<Replacement> found;
  if (directory) {
    if (!station.StationUuid.isEmpty()) {
      found = pick(directory->byUuid(station.StationUuid, cancel).items, station.Link);
    } else {
      found = pick(directory->byUrl(station.Link, cancel).items, station.Link);
      if (!found && !station.Name.trimmed().isEmpty() && !cancel.load()) {
        SearchQuery query;
        query.name = station.Name;
        query.nameExact = true;
        query.hideBroken = true;
        query.limit = 5;
        found = pick(directory->search(query, cancel).items, station.Link);
      }
    }
  }
  if (!found && probe.verdict == Verdict::Moved && !probe.movedTo.isEmpty()) {
    found = Replacement{station.Name, probe.movedTo, station.Preview, station.StationUuid};
  }
  return found;
}

CheckSummary checkStations(const std::vector<qv::stations::StationEntry>& stations, const CheckOptions& options,
                           const std::atomic<bool>& cancel,
                           const std::function<void(const CheckedStation&)>& onChecked) {
  const Prober probe = options.probe ? options.probe : [](const QString& link, const std::atomic<bool>& stop) {
    return probeStation(link, stop);
  };
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  // Guarded by `mutex`:
  bool networkWorks = false;
  std::vector<CheckedStation> held;
  CheckSummary summary;

  const auto count = [&summary](const CheckedStation& checked) {
    switch (checked.probe.verdict) {
      case Verdict::Alive:
        ++summary.alive;
        break;
      case Verdict::Dead:
        ++summary.dead;
        break;
      case Verdict::Moved:
        ++summary.moved;
        break;
      case Verdict::Unchecked:
        ++summary.unchecked;
        break;
    }
  };

  const auto work = [&] {
    while (!cancel.load()) {
      const std::size_t index = next.fetch_add(1);
      if (index >= stations.size()) {
        return;
      }
      CheckedStation checked;
      checked.index = static_cast<int>(index);
      checked.station = stations[index];
      checked.probe = probe(checked.station.Link, cancel);
      if (cancel.load()) {
        return;
      }
      checked.replacement = findReplacement(options.directory, checked.station, checked.probe, cancel);
      std::vector<CheckedStation> report;
      {
        std::lock_guard lock(mutex);
        if (checked.probe.networkFailure && !networkWorks) {
          held.push_back(std::move(checked));
          continue;
        }
        if (!checked.probe.networkFailure && checked.probe.verdict != Verdict::Unchecked && !networkWorks) {
          networkWorks = true;
          report = std::move(held);
          held.clear();
        }
        report.push_back(std::move(checked));
        for (const CheckedStation& each : report) {
          count(each);
        }
      }
      for (const CheckedStation& each : report) {
        onChecked(each);
      }
    }
  };

  std::vector<std::thread> workers;
  const std::size_t parallel =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(options.parallel, 1)), stations.size());
  workers.reserve(parallel);
  for (std::size_t i = 0; i < parallel; ++i) {
    workers.emplace_back(work);
  }
  for (std::thread& worker : workers) {
    worker.join();
  }
  summary.cancelled = cancel.load();
  // Only failures of the network came back: they say nothing about the stations.
  summary.networkDown = !held.empty() && !networkWorks && !summary.cancelled;
  for (CheckedStation& checked : held) {
    checked.probe.verdict = Verdict::Unchecked;
    checked.replacement.reset();
    count(checked);
    if (!summary.cancelled) {
      onChecked(checked);
    }
  }
  return summary;
}

StationCheck::StationCheck(CheckOptions options, QObject* parent) : QObject(parent), m_options(std::move(options)) {
  qRegisterMetaType<CheckedStation>();
  qRegisterMetaType<CheckSummary>();
}

StationCheck::~StationCheck() {
  m_cancel = true;
  if (m_thread.joinable()) {
    m_thread.join();
  }
}

bool StationCheck::start(const std::vector<qv::stations::StationEntry>& stations) {
  if (m_running) {
    return false;
  }
  if (m_thread.joinable()) {
    m_thread.join();  // ended already: its last report has been posted
  }
  m_running = true;
  m_cancel = false;
  m_thread = std::thread([this, stations] {
    auto done = std::make_shared<std::atomic<int>>(0);
    const int total = static_cast<int>(stations.size());
    const CheckSummary summary =
        checkStations(stations, m_options, m_cancel, [this, done, total](const CheckedStation& checked) {
          const int now = ++*done;
          // `this` outlives the thread: the destructor joins it. The post is not a wait.
          QMetaObject::invokeMethod(
              this, [this, checked, now, total] { emit stationChecked(checked, now, total); }, Qt::QueuedConnection);
        });
    QMetaObject::invokeMethod(
        this,
        [this, summary] {
          m_running = false;
          emit finished(summary);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void StationCheck::cancel() {
  m_cancel = true;
}

}  // namespace qv::directory
