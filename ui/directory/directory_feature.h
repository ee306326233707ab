#pragma once

#include "stations/station_entry.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace qv::directory {
class DirectoryClient;
class DirectoryService;
struct DirectoryStation;
}  // namespace qv::directory
namespace qv::playback {
class PlaybackController;
}
namespace qv::stations {
class StationList;
}

namespace qv::ui {

class CheckStationsWindow;
class FindStationsWindow;

//! The station directory in the player: "Find stations…" (Ctrl+F, the playlist menu and the tray
//! menu) and "Check my stations…" (the playlist menu). A found station plays through the playback
//! controller, and every play of a station with a directory id counts one click for it (at most one
//! a day); adding one and applying a repair go through the edits the main window hands in, which
//! mark the list unsaved. Owned by the main window; GUI thread.
class DirectoryFeature : public QObject {
  Q_OBJECT

 public:
  //! The main window's changes to its station list.
  struct ListEdits {
    //! Appends a station.
    std::function<void(const qv::stations::StationEntry&)> add;
    //! Puts `after` in place of the station `index` of the whole list.
    std::function<void(int index, const qv::stations::StationEntry& after)> replace;
  };

  DirectoryFeature(QWidget& window, qv::playback::PlaybackController& controller, qv::stations::StationList& stations,
                   ListEdits edits, QMenu* playlistMenu);
  ~DirectoryFeature() override;

  //! Adds "Find stations…" to the tray's menu before `before`.
  void hangInTray(QMenu* trayMenu, QAction* before);
  FindStationsWindow& showFinder();
  CheckStationsWindow& showCheck();
  //! Captions after a language switch.
  void retranslate();

  //! The entry a directory station becomes in the list: name, link, first tag, favicon, id.
  static qv::stations::StationEntry entryOf(const qv::directory::DirectoryStation& station);

 private:
  qv::directory::DirectoryClient& client();
  void play(const qv::directory::DirectoryStation& station);
  void add(const qv::directory::DirectoryStation& station);

  QWidget& m_window;
  qv::playback::PlaybackController& m_controller;
  qv::stations::StationList& m_stations;
  ListEdits m_edits;
  std::shared_ptr<qv::directory::DirectoryService> m_service;  // made with the first window
  std::unique_ptr<qv::directory::DirectoryClient> m_client;
  QPointer<FindStationsWindow> m_finder;
  QPointer<CheckStationsWindow> m_check;
  QAction* m_findAction = nullptr;
  QAction* m_checkAction = nullptr;
  QAction* m_trayFindAction = nullptr;
};

}  // namespace qv::ui
