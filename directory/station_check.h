#pragma once

#include "directory_station.h"
#include "station_probe.h"
#include "stations/station_entry.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace qv::directory {

class DirectoryService;

//! The directory's current link for a station that died or moved.
struct Replacement {
  QString name;
  QString link;
  QString logo;
  QString uuid;
};

//! One station of the list as the check left it.
struct CheckedStation {
  //! Its place in the list that was checked.
  int index = -1;
  qv::stations::StationEntry station;
  ProbeResult probe;
  std::optional<Replacement> replacement;
};

struct CheckSummary {
  int alive = 0;
  int dead = 0;
  int moved = 0;
  int unchecked = 0;
  //! No station reached any server and every failure was the network's: nothing was marked dead.
  bool networkDown = false;
  bool cancelled = false;
};

using Prober = std::function<ProbeResult(const QString& link, const std::atomic<bool>& cancel)>;

struct CheckOptions {
  int parallel = 8;
  //! Probes one link; probeStation with its defaults unless a test replaces it.
  Prober probe;
  //! Asked for replacements of dead and moved stations; none when null.
  DirectoryService* directory = nullptr;
};

//! The directory's current link for `station`: by its uuid when it has one, else by its link, then
//! by its name. A moved station the directory does not know gets the link its redirects lead to.
std::optional<Replacement> findReplacement(DirectoryService* directory, const qv::stations::StationEntry& station,
                                           const ProbeResult& probe, const std::atomic<bool>& cancel);

//! Checks every station with at most `parallel` probes at once. `onChecked` is called from the
//! workers (several at a time) as each station's verdict is known. A failure of the network's
//! (see ProbeResult::networkFailure) is held back until another station shows that the network
//! works; when none does, those stations end as Unchecked and the summary says the network is
//! down. Blocking; a cancel ends it within about a second.
CheckSummary checkStations(const std::vector<qv::stations::StationEntry>& stations, const CheckOptions& options,
                           const std::atomic<bool>& cancel,
                           const std::function<void(const CheckedStation&)>& onChecked);

//! The check for a window: runs on a thread of its own and reports on the thread that owns this
//! object. Deleting it cancels the check and waits for its end.
class StationCheck : public QObject {
  Q_OBJECT

 public:
  explicit StationCheck(CheckOptions options, QObject* parent = nullptr);
  ~StationCheck() override;

  //! Starts checking `stations`; false while a check runs.
  bool start(const std::vector<qv::stations::StationEntry>& stations);
  void cancel();
  bool running() const { return m_running; }

 signals:
  void stationChecked(const qv::directory::CheckedStation& station, int done, int total);
  void finished(const qv::directory::CheckSummary& summary);

 private:
  CheckOptions m_options;
  std::atomic<bool> m_cancel{false};
  bool m_running = false;  // GUI thread
  std::thread m_thread;
};

}  // namespace qv::directory
