#pragma once

#include "stations/station_entry.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace qv::history {
class HistoryRecorder;
}
namespace qv::playback {
class PlaybackController;
class SleepTimerControl;
}  // namespace qv::playback
namespace qv::settings {
class SettingsModel;
}
namespace qv::stations {
class StationList;
}

namespace qv::ui {

class HistoryWindow;

//! The listening features beside playback: the history of titles heard (fed from the controller's
//! title reports, shown in the history window) and the sleep timer. Owned by the main window.
class Listening : public QObject {
  Q_OBJECT

 public:
  //! Adds "History" (Ctrl+H) and the sleep timer's submenu to `playlistMenu`.
  Listening(QWidget& window, qv::playback::PlaybackController& controller, qv::stations::StationList& stations,
            qv::settings::SettingsModel& settings, QMenu* playlistMenu);
  ~Listening() override;

  qv::playback::SleepTimerControl& sleepTimer() { return *m_sleepTimer; }
  //! Opens (or raises) the history window.
  HistoryWindow& showHistory();
  //! The language changed: the menu entries and the history window take the current texts.
  void applyTexts();
  //! At close, before the settings are written: a fade in progress is undone, so the volume saved
  //! is the user's.
  void shutDown();
  //! The history database in the data folder.
  static QString historyPath();

 private:
  qv::history::HistoryRecorder& recorder();
  void record(const QString& title);
  void playFromHistory(const QString& link);

  QWidget& m_window;
  qv::playback::PlaybackController& m_controller;
  qv::stations::StationList& m_stations;
  qv::settings::SettingsModel& m_settings;
  qv::stations::StationEntry m_station;                      // the station asked for last: where titles are heard
  std::unique_ptr<qv::history::HistoryRecorder> m_recorder;  // made with the first title or window
  qv::playback::SleepTimerControl* m_sleepTimer;
  QPointer<HistoryWindow> m_history;
  QAction* m_historyAction = nullptr;
  QMenu* m_sleepMenu = nullptr;
};

}  // namespace qv::ui
