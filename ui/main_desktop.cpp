// The main window's side of the desktop: the tray icon and its menu, hiding to the tray, compact
// mode with the popup player, the media keys, the notification on a station change and the taskbar
// state. Every control here drives playback through the controller, as the window's buttons do.
#include "main.h"

#include "lifecycle_log.h"
#include "media_keys.h"
#include "media_player_port.h"
#include "notifier.h"
#include "playback_controller.h"
#include "popup.h"
#include "report_view.h"
#include "taskbar_presenter.h"
#include "tray.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>

namespace qv::ui {

//! The player as the media keys and the desktop's media controls see it.
class WindowMediaPlayer final : public MediaPlayerPort {
 public:
  explicit WindowMediaPlayer(TMainForm& window) : m_window(window) {}

  void next() override { m_window.NextActionExecute(); }
  void previous() override { m_window.PreviousActionExecute(); }
  void playStop() override { m_window.PlayStopActionExecute(); }
  void stop() override {
    if (controller().soundRequested()) {
      controller().stop();
    }
  }
  void raise() override { m_window.restoreMainWindow(true); }
  void quit() override { m_window.close(); }
  void setVolume(int percent) override { m_window.VolumeTB->setValue(percent); }

  MediaStatus status() const override {
    return controller().soundRequested() ? MediaStatus::Playing : MediaStatus::Stopped;
  }
  MediaTrack track() const override {
    if (m_serial == 0) {
      return {};
    }
    MediaTrack track = splitStreamTitle(m_title.isEmpty() ? m_station : m_title);
    track.album = m_station;
    track.artPath = m_window.stationLogoFile();
    track.stationSerial = m_serial;
    return track;
  }
  int volume() const override { return controller().volume(); }
  bool canGoNext() const override { return controller().canGoNext(); }
  bool canGoPrevious() const override { return controller().canGoPrevious(); }
  bool canPlay() const override { return controller().activeStationCount() > 0; }

  //! Another station was asked for: its name stands as the title until its first title report.
  void stationRequested(const QString& name) {
    ++m_serial;
    m_station = name;
    m_title.clear();
  }
  void titleReported(const QString& title) { m_title = title; }

 private:
  qv::playback::PlaybackController& controller() const { return m_window.playbackController(); }

  TMainForm& m_window;
  quint64 m_serial = 0;
  QString m_station;
  QString m_title;
};

}  // namespace qv::ui

void TMainForm::createDesktopParts() {
  m_tray = new qv::ui::TrayIcon(this);
  m_mediaPlayer = std::make_shared<qv::ui::WindowMediaPlayer>(*this);
  m_mediaKeys = qv::ui::makeSystemMediaKeys(*m_mediaPlayer, *this);

  connect(m_tray, &qv::ui::TrayIcon::clicked, this, &TMainForm::TrayIcon1Click);
  connect(m_tray, &qv::ui::TrayIcon::doubleClicked, this, &TMainForm::TrayIcon1DblClick);
  connect(m_tray, &qv::ui::TrayIcon::restoreChosen, this, &TMainForm::Restore1Click);
  connect(m_tray, &qv::ui::TrayIcon::previousChosen, this, &TMainForm::PreviousActionExecute);
  connect(m_tray, &qv::ui::TrayIcon::playStopChosen, this, &TMainForm::PlayStopActionExecute);
  connect(m_tray, &qv::ui::TrayIcon::nextChosen, this, &TMainForm::NextActionExecute);
  connect(m_tray, &qv::ui::TrayIcon::muteChosen, this, &TMainForm::MuteImageClick);
  connect(m_tray, &qv::ui::TrayIcon::stationChosen, this, &TMainForm::Changestation);
  connect(m_tray, &qv::ui::TrayIcon::exitChosen, this, &QWidget::close);

  connect(m_tray, &qv::ui::TrayIcon::stationListChosen, this, &TMainForm::showWholeStationList);

  // The submenu is made from the list when it opens, so a list of any length costs nothing here.
  m_tray->setStationList(&Stations);
  connect(&Stations, &qv::stations::StationList::rebuilt, this, [this] {
    m_tray->stationsChanged();
    m_mediaKeys->playerChanged();
  });
  connect(&m_model, &qv::settings::SettingsModel::changed, this, [this] { m_mediaKeys->playerChanged(); });
}

void TMainForm::connectDesktopPlayback() {
  using qv::playback::PlaybackController;
  PlaybackController* controller = m_controller;
  const auto changed = [this] { m_mediaKeys->playerChanged(); };
  connect(controller, &PlaybackController::stateChanged, this, changed);
  connect(controller, &PlaybackController::volumeChanged, this, changed);
  connect(controller, &PlaybackController::navigationImagesChanged, this, changed);
  connect(controller, &PlaybackController::titleChanged, this, [this](const QString& title) {
    m_mediaPlayer->titleReported(title);
    m_mediaKeys->playerChanged();
  });
  connect(controller, &PlaybackController::stationRequested, this,
          [this](int index, const qv::stations::StationEntry& station) {
            m_tray->markStation(Stations.playIndexOfRow(index));
            m_mediaPlayer->stationRequested(station.Name);
            m_mediaKeys->playerChanged();
          });
}

qv::ui::TrayIcon& TMainForm::tray() {
  return *m_tray;
}

qv::ui::MediaPlayerPort& TMainForm::mediaPlayer() {
  return *m_mediaPlayer;
}

void TMainForm::setStationLogoFile(const QString& file) {
  if (m_stationLogoFile != file) {
    m_stationLogoFile = file;
    m_mediaKeys->playerChanged();
  }
}

void TMainForm::setMediaKeys(std::unique_ptr<qv::ui::MediaKeys> mediaKeys) {
  if (m_mediaKeys) {
    m_mediaKeys->unregisterKeys();
  }
  m_mediaKeys = std::move(mediaKeys);
}

void TMainForm::registerMediaKeys() {
  const qv::StageOutcome outcome = m_mediaKeys->registerKeys();
  qCInfo(lcLifecycle) << "register media keys:" << (outcome == qv::StageOutcome::Done ? "done" : "refused");
}

void TMainForm::unregisterMediaKeys() {
  m_mediaKeys->unregisterKeys();
  qCInfo(lcLifecycle) << "unregister media keys: done";
}

void TMainForm::attachPopup(TPopupForm& popup) {
  popup.setTrayMenu(m_tray->TrayPopup);
  popup.setStreamActive([this] { return streamActive(); });
  connect(&popup, &TPopupForm::previousClicked, this, &TMainForm::PreviousActionExecute);
  connect(&popup, &TPopupForm::playStopClicked, this, &TMainForm::PlayStopActionExecute);
  connect(&popup, &TPopupForm::nextClicked, this, &TMainForm::NextActionExecute);
  connect(&popup, &TPopupForm::restoreRequested, this, &TMainForm::AppImageClick);
}

void TMainForm::installMinimiseToTray() {
  m_minimiseHook = true;
}

// The tray option counts only where the desktop shows the tray icon: elsewhere the window would
// vanish with no way back, so it minimizes, and the popup keeps a taskbar button.
bool TMainForm::trayUsable() const {
  return m_model.value(qv::settings::HideToTray) && m_tray->isAvailable();
}

void TMainForm::MinimizeImageClick() {
  // With the hook, the window is minimized first and then hidden: it stays minimized meanwhile.
  if (m_minimiseHook && trayUsable()) {
    m_ownMinimise = true;
    showMinimized();
    m_ownMinimise = false;
    hideToTray();
    return;
  }
  m_ownMinimise = true;
  showMinimized();
  m_ownMinimise = false;
}

// A minimize the platform asks for (the taskbar button, a key of the desktop) hides the window to
// the tray instead, when the tray option is on.
void TMainForm::platformMinimised() {
  if (m_ownMinimise || !isMinimized() || !isVisible() || !trayUsable()) {
    return;
  }
  // Not from inside the state change itself: the window system is still applying it.
  QTimer::singleShot(0, this, [this] {
    if (isMinimized() && isVisible() && trayUsable()) {
      setWindowState(windowState() & ~Qt::WindowMinimized);
      hideToTray();
    }
  });
}

void TMainForm::hideToTray() {
  showTrayIcon();
  hide();
}

void TMainForm::showTrayIcon() {
  m_tray->show();
}

void TMainForm::SmallImageClick() {
  if (!PopupForm) {
    return;
  }
  CompactMode = true;
  // With the tray option on, the tray icon is the way back; otherwise the popup gets a taskbar
  // button of its own (and keeps it).
  const bool toTray = trayUsable();
  if (!toTray) {
    m_popupHasTaskbarButton = true;
  }
  const Qt::WindowType type = m_popupHasTaskbarButton ? Qt::Window : Qt::Tool;
  if (PopupForm->windowType() != type) {
    PopupForm->setWindowFlags((PopupForm->windowFlags() & ~Qt::WindowType_Mask) | type);
  }
  PopupForm->show();
  hide();
  if (toTray) {
    showTrayIcon();
  }
}

void TMainForm::AppImageClick() {
  restoreMainWindow(false);
}

void TMainForm::TrayIcon1Click() {
  if (PopupForm) {
    PopupForm->show();
    PopupForm->raise();
  }
}

void TMainForm::TrayIcon1DblClick() {
  m_tray->hide();
  restoreMainWindow(true);
}

void TMainForm::Restore1Click() {
  m_tray->hide();
  restoreMainWindow(false);
}

// The tray's way to a station that its short submenu does not list: the window's own list, with
// the current station in view.
void TMainForm::showWholeStationList() {
  Restore1Click();
  PlaylistPanel->show();
  if (Stations.activeStation(CurrentStation)) {
    StationsList->scrollTo(StationsList->model()->index(CurrentStation, 0));
  }
  activateWindow();
  StationsList->setFocus();
}

void TMainForm::restoreMainWindow(bool focus) {
  CompactMode = false;
  if (PopupForm) {
    PopupForm->hide();
  }
  showNormal();
  raise();
  if (focus) {
    activateWindow();
  }
}

void TMainForm::Changestation(int station) {
  // A station the filter hides is still the one the item names: the filter goes first.
  if (Stations.rowOfPlayIndex(station) < 0 && Stations.FilterActive()) {
    {
      const QSignalBlocker blocker(SearchEdit);
      SearchEdit->clear();
    }
    Stations.clearFilter();
    Stations.RebuildPlaylist();
  }
  const int row = Stations.rowOfPlayIndex(station);
  if (row >= 0) {
    playbackController().playStation(row, false);
  }
}

void TMainForm::showOnPopup(const qv::playback::StatusView& view) {
  if (!PopupForm) {
    return;  // a report before the popup exists changes this window only
  }
  if (view.popupTrackLabel) {
    PopupForm->setTrackText(*view.popupTrackLabel);
  }
  if (view.playButtons) {
    PopupForm->showPlaying(*view.playButtons == qv::playback::PlayButtonImage::Stop);
  }
}
