#pragma once

#include "stations/station_list.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace qv::ui {

//! The captions of the tray menu (from the language file; built-in English by default).
struct TrayTexts {
  QString restore, previous, play, next, mute, stations, exit;

  //! The built-in English captions.
  static TrayTexts builtIn();
};

//! The tray icon `TrayIcon1` and its menu `TrayPopup`: Restore, Previous, Play, Next, Mute, the
//! Stations submenu and Exit. The icon is hidden until the window hides to the tray or enters
//! compact mode; it shows the application icon and no tooltip of its own. The menu only reports
//! what was chosen; the main window acts on it. GUI thread only.
//!
//! The Stations submenu is made each time it is about to show, from the station list: the whole
//! list while it is short; for a longer one, the stations around the current one and the first
//! ones of the current filter, at most kMaxStationItems, and an entry that shows the whole list in
//! the main window. A menu of one entry per station would take seconds to make at 100,000.
class TrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit TrayIcon(QObject* parent = nullptr);
  ~TrayIcon() override;

  //! A list up to this long is listed whole in the Stations submenu.
  static constexpr int kMaxStationItems = 40;
  //! In a longer list: the stations before and after the current one.
  static constexpr int kAroundCurrent = 10;

  void setTexts(const TrayTexts& texts);
  //! The list the Stations submenu is made from; null leaves it empty. The list must outlive
  //! this icon or be replaced first.
  void setStationList(const qv::stations::StationList* stations);
  //! The list changed: an open Stations submenu is made again, a closed one when it next opens.
  void stationsChanged();
  //! The item of PLAY_ARRAY entry `index` carries the chevron, all others none (-1: none does).
  void markStation(int index);

  void show();
  void hide();
  bool isVisible() const;
  //! The desktop shows tray icons (a StatusNotifierItem host or a tray area). Without one, hiding
  //! to the tray would leave nothing to come back by.
  bool isAvailable() const;
  //! Replaces the desktop's answer (tests on a platform without a tray).
  void setAvailability(std::function<bool()> available) { m_available = std::move(available); }

  QSystemTrayIcon* TrayIcon1;
  QMenu* TrayPopup;
  QAction* Restore1;
  QAction* Previous1;
  QAction* PlayStop1;
  QAction* Next1;
  QAction* Mute1;
  QMenu* Stations1;
  QAction* Stations2;

 signals:
  //! A single click on the icon (a double click reports one first).
  void clicked();
  void doubleClicked();
  void restoreChosen();
  void previousChosen();
  void playStopChosen();
  void nextChosen();
  void muteChosen();
  //! A station of the submenu, by its PLAY_ARRAY index.
  void stationChosen(int index);
  //! The submenu's last entry of a long list: the whole list, in the main window.
  void stationListChosen();
  void exitChosen();

 private:
  void fillStationsMenu();
  void addStationItem(int index);

  const qv::stations::StationList* m_stations = nullptr;
  QString m_wholeListText;
  int m_markedIndex = -1;
  std::function<bool()> m_available;
};

}  // namespace qv::ui
