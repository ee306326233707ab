#pragma once

#include "interface_texts.h"
#include "settings.h"
#include "settings/registry_key.h"
#include "stage_outcome.h"
#include "stations/station_list.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QSlider;

namespace qv::ui {
class StationListPanel;
}

namespace qv::settings {
class SettingsKey;
}

//! The main window. It owns the program-wide state (current station, unsaved flag, interface
//! texts) and runs the program's start-up and shutdown stages: FormCreate when it is created,
//! FormClose when it is closed (which ends the program), FormDestroy in its destructor.
class TMainForm : public QWidget, public qv::i18n::MainFormTexts, public SettingsWindowHost {
  Q_OBJECT

 public:
  explicit TMainForm(qv::settings::SettingsBackend& settings);
  ~TMainForm() override;

  //! Start-up stages 1 to 13, in order. False when the program must end at once (audio output
  //! could not be set up); nothing is written then.
  bool FormCreate();
  //! Shutdown stages 1 to 5; runs once, on the first close.
  void FormClose();

  //! Applies the built-in texts, then the language file `LangFile` when it qualifies.
  void Localizate(const QString& LangFile);
  //! The language file last given to Localizate.
  QString languageFile() const { return m_languageFile; }

  // SettingsWindowHost
  const qv::i18n::MainFormTexts& mainFormTexts() const override { return *this; }
  void Play() override;
  QRect mainWindowFrame() const override { return frameGeometry(); }
  void registerMediaKeys() override;
  void unregisterMediaKeys() override;

  //! `StationsListDblClick`: the stream stops at once, the selected row becomes CurrentStation
  //! and plays. Enter (`StationsListKeyPress`) does the same without stopping first.
  void StationsListDblClick();
  void StationsListKeyPress();

  //! PLAY_ARRAY, FilteredStations, FilterActive, the tag list and CurrentStation.
  qv::stations::StationList Stations;
  //! Index of the current station in the active list, -1 for none; stored as `LastStation`.
  int& CurrentStation = Stations.CurrentStation;
  //! The playlist file last loaded with "replace"; kept as `Path` in the program's own playlist.
  QString PlaylistPath;
  //! The station list has changes not saved to a playlist file of the user's choice.
  bool UnsavedPL = false;

  QWidget* LargePanel;
  QLabel* LogoImage;
  QWidget* LargeInfoPanel;
  QLabel* TrackLabel;
  QLabel* StationLabel;
  QLabel* StatusLabel;
  QLabel* leftch;
  QLabel* RightCh;
  //! Never shown: the one holder of the volume, 0..100.
  QSlider* VolumeTB;
  QWidget* EQPanel;
  QWidget* PlaylistPanel;
  QWidget* PLLeftPanel;
  QListWidget* TagsListBox;
  QWidget* PLRightPanel;
  qv::ui::StationListPanel* StationsPanel;
  QListView* StationsList;
  QLineEdit* SearchEdit;
  QListWidget* ListsListBox;

 signals:
  //! The window was closed and its shutdown stages have run: the program ends.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  void createStationListPanel();
  void playSelectedStation(int row, bool stopFirst);
  qv::StageOutcome loadStationList();
  qv::StageOutcome saveStationList();
  int readOutputRate();
  void readSettings(qv::settings::SettingsKey& key);
  void readWindowBounds(const qv::settings::SettingsKey& key);
  void writeSettings();

  qv::settings::SettingsBackend& m_settings;
  QString m_languageFile;
  //! The start-up stage read (or found no) playlist file; until then the stored stations are
  //! unknown, and the shutdown must not replace them with an empty list.
  bool m_stationListLoaded = false;
  bool m_closed = false;
};

//! Program-wide reference; empty until the main window has been created.
extern TMainForm* MainForm;
