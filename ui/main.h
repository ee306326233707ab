#pragma once

#include "button_images.h"
#include "image_button.h"
#include "interface_texts.h"
#include "link_label.h"
#include "qt_translations.h"
#include "settings.h"
#include "settings/registry_key.h"
#include "settings/settings_model.h"
#include "skin.h"
#include "stage_outcome.h"
#include "stations/station_list.h"
#include "text_table.h"

#include <QWidget>

#include <memory>

#include <array>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QSlider;
class QTimer;

namespace qv::playback {
class KeepAwake;
class PlaybackController;
struct StatusReport;
struct StatusView;
}  // namespace qv::playback
namespace qv::stations {
struct StationEntry;
}

class TPopupForm;

namespace qv::ui {
class DirectoryFeature;
class Listening;
using KeepAwake = qv::playback::KeepAwake;
class MediaKeys;
class PlaylistCommands;
class MediaPlayerPort;
class Notifier;
class TrayIcon;
class WindowMediaPlayer;
struct PlaybackParts;
class TaskbarPresenter;
class SplitterBar;
class StationListPanel;
class EqPanel;
class VolumeBarPointer;
class VolumeWheel;
namespace frame {
class WindowFrame;
}
}  // namespace qv::ui

namespace qv::settings {
class SettingsKey;
}

//! The main window. It owns the program-wide state (current station, unsaved flag, interface
//! texts, skin images) and runs the program's start-up and shutdown stages: FormCreate when it is
//! created, FormClose when it is closed (which ends the program), FormDestroy in its destructor.
//! A dark window without a title bar: its frame (resize borders, moving by the background) is a
//! WindowFrame, its buttons are skin images, and it sees every key before its controls do.
class TMainForm : public QWidget, public qv::i18n::MainFormTexts, public SettingsWindowHost {
  Q_OBJECT

 public:
  TMainForm(qv::settings::SettingsBackend& settings, qv::settings::SettingsModel& model);
  ~TMainForm() override;

  //! Start-up stages 1 to 13, in order. False when the program must end at once (audio output
  //! could not be set up); nothing is written then.
  bool FormCreate();
  //! FormCreate ended the program because no audio output could be opened.
  bool audioOutputMissing() const { return m_audioOutputMissing; }
  //! Shutdown stages 1 to 5; runs once, on the first close.
  void FormClose();

  //! Applies the built-in texts, then the language file `LangFile` when it qualifies (with Qt's own
  //! translation for its language, where the system has one), then the captions, hints and dialog
  //! filters of every window part that exists; emits languageApplied.
  void Localizate(const QString& LangFile) override;
  //! The language file last given to Localizate.
  QString languageFile() const { return m_languageFile; }
  //! The current text of every interface line, for captions that no field holds.
  const qv::i18n::TextTable& interfaceTexts() const { return m_texts; }
  //! The file dialogs' filters in the current language.
  QStringList openDialogFilters() const { return qv::i18n::openDialogFilters(m_texts); }
  QStringList saveDialogFilters() const { return qv::i18n::saveDialogFilters(m_texts); }

  // SettingsWindowHost
  const qv::i18n::MainFormTexts& mainFormTexts() const override { return *this; }
  void Play() override;
  QRect mainWindowFrame() const override { return frameGeometry(); }
  void registerMediaKeys() override;
  void unregisterMediaKeys() override;
  QStringList outputDevices() override;
  void SetBufferSize(int bufferMs) override;
  void openUrl(const QUrl& url) override;

  //! `StationsListDblClick`: the stream stops at once, the selected row becomes CurrentStation
  //! and plays. Enter (`StationsListKeyPress`) does the same without stopping first.
  void StationsListDblClick();
  void StationsListKeyPress();

  //! PLAY_ARRAY, FilteredStations, FilterActive, the tag list and CurrentStation.
  qv::stations::StationList Stations;
  //! The skin images; loaded in start-up stage 8, released in shutdown stage 3.
  const qv::ui::Skin& skin() const { return m_skin; }

  //! The form style: stay-on-top or normal. Setting it also shows the on-top button's normal image.
  bool alwaysOnTop() const;
  void setAlwaysOnTop(bool onTop);

  // Click handlers of the window's buttons and menu, also reached from the keys.
  void CloseImageClick();
  void MinimizeImageClick();
  void OntopImageClick();
  void SmallImageClick();
  //! The popup's icon: this window comes back, the popup goes; the tray icon stays as it is.
  void AppImageClick();
  //! The tray icon: a click shows the popup player; a double click (and Restore, without taking the
  //! focus) brings this window back in the normal state and hides the tray icon and the popup.
  void TrayIcon1Click();
  void TrayIcon1DblClick();
  void Restore1Click();
  //! The tray submenu's entry for the whole list: this window back, its station list shown with
  //! the current station in view, and the focus on it.
  void showWholeStationList();
  //! This window back in the normal state, in front, the popup hidden; `focus` also activates it.
  void restoreMainWindow(bool focus);
  //! Minimizing hides this window to the tray when the tray option is on (`OnMinimizeProc`).
  void installMinimiseToTray();
  //! The tray icon and its menu.
  qv::ui::TrayIcon& tray();
  //! The player as the media keys and the desktop's media controls drive it.
  qv::ui::MediaPlayerPort& mediaPlayer();
  //! Replaces the media keys (the desktop's by default); the old ones are withdrawn.
  void setMediaKeys(std::unique_ptr<qv::ui::MediaKeys> mediaKeys);
  //! The popup player's buttons and icon drive this window's actions.
  void attachPopup(TPopupForm& popup);
  //! The cached logo file of the station shown now; empty when it has none.
  QString stationLogoFile() const { return m_stationLogoFile; }
  //! The logo shown now came from `file` (empty: the default logo); the desktop's controls show it.
  void setStationLogoFile(const QString& file);
  void SettingsImageClick();
  void EQImageClick();
  void iMenuClick();
  void PreviousImageClick();
  void PlayStopImageClick();
  void NextImageClick();
  void MuteImageClick();
  void popOpenPLClick();
  void popSavePlaylistClick();
  void popAddStationClick();
  //! Open, Save, Add and Edit, dropped files, the recent list and the station logo.
  qv::ui::PlaylistCommands& playlistCommands() { return *m_playlistCommands; }

  //! The window's keys, before the focused control sees them; true when the key is consumed.
  bool FormKeyDown(const QKeyEvent& event);

  // The now-playing labels as web links.
  void TrackLabelClick();
  void TrackLabelMouseEnter();
  void TrackLabelMouseLeave();
  void StationLabelClick();
  void StationLabelMouseEnter();
  void StationLabelMouseLeave();

  //! What the buttons' hover images depend on, as it is now.
  qv::ui::ButtonState buttonState() const;
  //! The current stream is active (anything but stopped), playing (not stalled or paused), muted.
  bool streamActive() const;
  bool streamPlaying() const;
  bool streamMuted() const;

  //! The one owner of playback; every control of this window calls it.
  qv::playback::PlaybackController& playbackController();
  //! The history and the sleep timer, made with the playback controller.
  qv::ui::Listening& listening();
  void hangSleepTimerInTray();
  //! "Find stations…" and "Check my stations…", made with the playback controller.
  qv::ui::DirectoryFeature& directoryFeature();
  void makeDirectoryFeature();

  //! `VolumeTBChange`: the controller takes the new position and the bright bar shows it.
  void VolumeTBChange();
  //! A band slider (0-based band) or the reverb slider moved: the controller applies it.
  void bandSliderChange(int band);
  void reverbSliderChange();
  //! Number of stations in the active array (the filtered one while a filter is on).
  int activeStationCount() const;

  // Play control, handed to the controller.
  void PlayStopActionExecute();
  void PreviousActionExecute();
  void NextActionExecute();
  //! A station chosen in the tray's station menu, by its PLAY_ARRAY index: it plays without stopping
  //! the current one first. A filter that hides it is cleared first.
  void Changestation(int station);
  //! A report of the stream opener, the stream's callbacks or the monitor (through the controller).
  void StreamStatusMessage(const qv::playback::StatusReport& report);
  void ShowPlaybackError(const QString& text, int code);
  //! The desktop's parts that `Play` drives; the defaults only log until the tray work brings them.
  void setNotifier(std::unique_ptr<qv::ui::Notifier> notifier);
  void setTaskbarPresenter(std::unique_ptr<qv::ui::TaskbarPresenter> presenter);
  void setKeepAwake(std::unique_ptr<qv::ui::KeepAwake> keepAwake);

  //! Index of the current station in the active list, -1 for none; stored as `LastStation`.
  int& CurrentStation = Stations.CurrentStation;
  //! The playlist file last loaded with "replace"; kept as `Path` in the program's own playlist.
  QString PlaylistPath;
  //! The station list has changes not saved to a playlist file of the user's choice.
  bool UnsavedPL = false;
  //! The current stream's "icy-url" header as the controller last reported it, the station's home
  //! page; empty when it sent none.
  QString IcyUrl;
  //! The popup player stands in for this window.
  bool CompactMode = false;

  QWidget* LargePanel;
  QLabel* LogoImage;
  qv::ui::SplitterBar* Splitter1;
  QWidget* LargeInfoPanel;
  qv::ui::LinkLabel* TrackLabel;
  qv::ui::LinkLabel* StationLabel;
  //! Takes clicks without acting on them.
  qv::ui::LinkLabel* StatusLabel;
  QLabel* leftch;
  QLabel* RightCh;
  qv::ui::ImageButton* MinimizeImage;
  qv::ui::ImageButton* OntopImage;
  qv::ui::ImageButton* SmallImage;
  qv::ui::ImageButton* CloseImage;
  qv::ui::ImageButton* PreviousImage;
  qv::ui::ImageButton* PlayStopImage;
  qv::ui::ImageButton* NextImage;
  qv::ui::ImageButton* VolEmptyImage;
  qv::ui::ImageButton* VolFullImage;
  qv::ui::ImageButton* MuteImage;
  qv::ui::ImageButton* SettingsImage;
  qv::ui::ImageButton* EQImage;
  //! Never shown: the one holder of the volume, 0..100.
  QSlider* VolumeTB;
  qv::ui::SplitterBar* Splitter5;
  QWidget* EQPanel;
  //! The sliders, labels and preset list inside `EQPanel`.
  qv::ui::EqPanel* Equalizer;
  qv::ui::SplitterBar* Splitter2;
  QWidget* PlaylistPanel;
  QWidget* PLLeftPanel;
  QListWidget* TagsListBox;
  QWidget* PLRightPanel;
  qv::ui::StationListPanel* StationsPanel;
  QListView* StationsList;
  QLineEdit* SearchEdit;
  QListWidget* ListsListBox;
  qv::ui::ImageButton* iMenu;
  QMenu* PlaylistButtonPopup;
  QAction* popOpenPL;
  QAction* popSavePlaylist;
  QAction* popAddStation;

 signals:
  //! The window was closed and its shutdown stages have run: the program ends.
  void closed();
  //! Localizate has run: parts that show captions of interfaceTexts() take them again.
  void languageApplied();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  //! Files dropped on the window are imported.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createControls();
  void createStationListPanel();
  void connectPlayback();
  void createDesktopParts();
  void connectDesktopPlayback();
  bool trayUsable() const;
  void hideToTray();
  void platformMinimised();
  void notifyStationChange(const qv::stations::StationEntry& station);
  void showOnPopup(const qv::playback::StatusView& view);
  void applyStatusView(const qv::playback::StatusView& view);
  void stationRequested(const qv::stations::StationEntry& station);
  void placeTrackLabel();
  void stackInfoLabels();
  void showStationLogo();
  //! Ends every stream-open worker; the audio output is released first.
  void shutDownPlayback();
  void playSelectedStation(int row, bool stopFirst);
  qv::StageOutcome loadStationList();
  //! Writes the station list; a failure is added to `failures`, to be told with the others.
  qv::StageOutcome saveStationList(QStringList& failures);
  void createInfoPanelControls();
  void createSoundControls();
  void connectButtons();
  void assignStartImages();
  void layoutInfoPanel();
  void applyFrameState();
  void applyCaptions();
  void showTrayIcon();
  int readOutputRate();
  void readSettings(qv::settings::SettingsKey& key);
  void readWindowBounds(qv::settings::SettingsKey& key);
  //! Empty, or why the settings file could not be written.
  QString writeSettings();

  qv::settings::SettingsBackend& m_settings;
  qv::settings::SettingsModel& m_model;
  qv::ui::Skin m_skin;
  qv::ui::frame::WindowFrame* m_frame;
  QString m_languageFile;
  qv::i18n::TextTable m_texts;
  //! Qt's own buttons and dialogs in the language of the applied file.
  qv::i18n::QtTranslations m_qtTranslations;
  //! The start-up stage read (or found no) playlist file; until then the stored stations are
  //! unknown, and the shutdown must not replace them with an empty list.
  bool m_stationListLoaded = false;
  bool m_closed = false;
  bool m_audioOutputMissing = false;
  qv::ui::VolumeBarPointer* m_volumeBar = nullptr;
  qv::ui::VolumeWheel* m_volumeWheel = nullptr;
  qv::playback::PlaybackController* m_controller = nullptr;
  qv::ui::Listening* m_listening = nullptr;
  qv::ui::DirectoryFeature* m_directory = nullptr;  // made with the playback controller
  // Shared, so that this header needs not know it; only this window holds it.
  std::shared_ptr<qv::ui::PlaybackParts> m_playback;
  //! The title has been shown once: from then on `TrackLabel` wraps across the panel.
  bool m_trackLabelWraps = false;
  qv::ui::PlaylistCommands* m_playlistCommands = nullptr;
  QString m_stationLogoFile;
  qv::ui::TrayIcon* m_tray = nullptr;
  // Shared, like the playback parts, so that this header needs not know them. The keys use the
  // player: they go first.
  std::shared_ptr<qv::ui::WindowMediaPlayer> m_mediaPlayer;
  std::shared_ptr<qv::ui::MediaKeys> m_mediaKeys;
  //! `OnMinimizeProc` is installed: the window's own minimize button also hides to the tray.
  bool m_minimiseHook = false;
  //! The minimize under way comes from the window's own button, not from the platform.
  bool m_ownMinimise = false;
  //! Once compact mode ran without the tray option, the popup keeps a taskbar button of its own.
  bool m_popupHasTaskbarButton = false;
};

//! Program-wide reference; empty until the main window has been created.
extern TMainForm* MainForm;
