// The main window's side of playback: its controls call the playback controller, and it shows
// what the controller reports (labels, play and navigation images, the logo, the notification and
// the taskbar). The window holds no stream and calls no engine function.
#include "main.h"

#include "directory/directory_feature.h"
#include "interface_texts.h"
#include "keep_awake.h"
#include "lifecycle_log.h"
#include "listening.h"
#include "listening_texts.h"
#include "media_keys.h"
#include "notifier.h"
#include "paths.h"
#include "playback_controller.h"
#include "playlist_commands.h"
#include "report_view.h"
#include "sleep_timer_control.h"
#include "sleep_timer_menu.h"
#include "taskbar_presenter.h"
#include "tray.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QSystemTrayIcon>

namespace qv::ui {

//! The desktop parts the window drives for playback.
struct PlaybackParts {
  std::unique_ptr<Notifier> notifier;
  std::unique_ptr<TaskbarPresenter> taskbar;
};

}  // namespace qv::ui

qv::playback::PlaybackController& TMainForm::playbackController() {
  if (!m_controller) {
    m_playback = std::make_shared<qv::ui::PlaybackParts>();
    m_playback->notifier = qv::ui::makeSystemNotifier(*tray().TrayIcon1);
    m_playback->taskbar = qv::ui::makeSystemTaskbarPresenter(
        *this, {[this] { PreviousActionExecute(); }, [this] { PlayStopActionExecute(); },
                [this] { NextActionExecute(); }, [this] { m_mediaKeys->playerChanged(); }});
    m_controller = new qv::playback::PlaybackController(Stations, m_model, this);
    m_controller->setKeepAwake(qv::ui::makeSystemKeepAwake());
    m_controller->setLevellingMemory(std::make_unique<qv::playback::LevellingMemory>(
        QDir(qv::paths::DataFolder()).filePath(QStringLiteral("levelling.sqlite"))));
    m_controller->setTextSource([this] { return qv::playback::ReportTexts::current(*this); });
    // The outer buttons' hints are captions that no text field holds.
    m_controller->setTaskbarHints(
        [this] { return qv::playback::TaskbarHints::current(m_texts.text(24), m_texts.text(28)); });
    connectPlayback();
    m_listening = new qv::ui::Listening(*this, *m_controller, Stations, m_model, PlaylistButtonPopup);
    hangSleepTimerInTray();
    makeDirectoryFeature();
  }
  return *m_controller;
}

qv::ui::Listening& TMainForm::listening() {
  playbackController();
  return *m_listening;
}

// The tray's menu (which the popup's icon also opens) offers the sleep timer before Exit, and the
// tray's tooltip tells the time left while it runs.
void TMainForm::hangSleepTimerInTray() {
  qv::playback::SleepTimerControl& sleepTimer = m_listening->sleepTimer();
  QMenu* sleepMenu = qv::ui::addSleepTimerMenu(m_tray->TrayPopup, sleepTimer, this);
  m_tray->TrayPopup->insertMenu(m_tray->Stations2, sleepMenu);
  const auto showTimeLeft = [this](const QString& remaining) {
    m_tray->TrayIcon1->setToolTip(remaining.isEmpty() ? QString()
                                                      : qv::l_sleeptimer + QStringLiteral(": ") + remaining);
  };
  connect(&sleepTimer, &qv::playback::SleepTimerControl::remainingChanged, m_tray, showTimeLeft);
  connect(this, &TMainForm::languageApplied, sleepMenu, [sleepMenu, &sleepTimer, showTimeLeft] {
    qv::ui::applySleepTimerMenuTexts(sleepMenu, sleepTimer);
    showTimeLeft(sleepTimer.remainingText());
  });
}

// The station directory: a found station added, or a repair applied, marks the list unsaved as a
// deletion does.
void TMainForm::makeDirectoryFeature() {
  qv::ui::DirectoryFeature::ListEdits edits;
  edits.add = [this](const qv::stations::StationEntry& station) {
    Stations.appendStations({station});
    UnsavedPL = true;
    m_playlistCommands->RebuildRecentPL();
  };
  edits.replace = [this](int index, const qv::stations::StationEntry& station) {
    if (Stations.replaceStation(index, station)) {
      UnsavedPL = true;
      m_playlistCommands->RebuildRecentPL();
    }
  };
  m_directory = new qv::ui::DirectoryFeature(*this, *m_controller, Stations, std::move(edits), PlaylistButtonPopup);
  m_directory->hangInTray(m_tray->TrayPopup, m_tray->Stations2);
}

qv::ui::DirectoryFeature& TMainForm::directoryFeature() {
  playbackController();
  return *m_directory;
}

void TMainForm::connectPlayback() {
  using qv::playback::PlaybackController;
  PlaybackController* controller = m_controller;
  connect(controller, &PlaybackController::viewChanged, this, &TMainForm::applyStatusView);
  connect(controller, &PlaybackController::homePageChanged, this, [this](const QString& url) { IcyUrl = url; });
  connect(controller, &PlaybackController::beepRequested, this, [] { QApplication::beep(); });
  connect(controller, &PlaybackController::stationRequested, this,
          [this](int, const qv::stations::StationEntry& station) { stationRequested(station); });
  connect(controller, &PlaybackController::navigationImagesChanged, this,
          [this](const qv::playback::NavigationImages& images) {
            PreviousImage->setImage(images.previous);
            NextImage->setImage(images.next);
          });
  connect(controller, &PlaybackController::taskbarChanged, this,
          [this](const qv::playback::TaskbarState& state) { m_playback->taskbar->apply(state); });
  connectDesktopPlayback();
}

void TMainForm::setNotifier(std::unique_ptr<qv::ui::Notifier> notifier) {
  playbackController();
  m_playback->notifier = std::move(notifier);
}

void TMainForm::setTaskbarPresenter(std::unique_ptr<qv::ui::TaskbarPresenter> presenter) {
  playbackController();
  m_playback->taskbar = std::move(presenter);
}

void TMainForm::setKeepAwake(std::unique_ptr<qv::ui::KeepAwake> keepAwake) {
  playbackController().setKeepAwake(std::move(keepAwake));
}

void TMainForm::shutDownPlayback() {
  if (m_controller) {
    m_controller->shutDown();
  }
}

void TMainForm::SetBufferSize(int bufferMs) {
  playbackController().setBufferSize(bufferMs);
}

QStringList TMainForm::outputDevices() {
  return playbackController().outputDevices();
}

void TMainForm::Play() {
  playbackController().play();
}

// What `Play` shows beside the stream: the logo and, when the user is elsewhere, the notification.
void TMainForm::stationRequested(const qv::stations::StationEntry& station) {
  showStationLogo();
  notifyStationChange(station);
}

// Only while the user is elsewhere: the window minimized, or neither on top nor active.
void TMainForm::notifyStationChange(const qv::stations::StationEntry& station) {
  const bool notify = m_model.value(qv::settings::ShowNotify);
  if (notify && (isMinimized() || (!alwaysOnTop() && QGuiApplication::applicationState() != Qt::ApplicationActive))) {
    m_playback->notifier->withdrawAll();
    m_playback->notifier->present(
        {QStringLiteral("StationChanged"), QStringLiteral("Quorventale"), station.Name, stationLogoFile()});
  }
}

// A logo that is not cached yet comes off the GUI thread, so showing it never holds up `Play`.
void TMainForm::showStationLogo() {
  m_playlistCommands->showStationLogo();
}

void TMainForm::PlayStopActionExecute() {
  playbackController().playStop();
}

void TMainForm::PreviousActionExecute() {
  playbackController().previous();
  StationsList->viewport()->update();
}

void TMainForm::NextActionExecute() {
  playbackController().next();
  StationsList->viewport()->update();
}

void TMainForm::PreviousImageClick() {
  PreviousActionExecute();
}

void TMainForm::NextImageClick() {
  NextActionExecute();
}

void TMainForm::PlayStopImageClick() {
  PlayStopActionExecute();
}

bool TMainForm::streamActive() const {
  return m_controller && m_controller->streamActive();
}

bool TMainForm::streamPlaying() const {
  return m_controller && m_controller->streamPlaying();
}

bool TMainForm::streamMuted() const {
  return m_controller && m_controller->streamMuted();
}

void TMainForm::StreamStatusMessage(const qv::playback::StatusReport& report) {
  playbackController().handleReport(report);
}

void TMainForm::ShowPlaybackError(const QString& text, int code) {
  playbackController().showPlaybackError(text, code);
}

void TMainForm::applyStatusView(const qv::playback::StatusView& view) {
  if (view.beep) {
    QApplication::beep();
  }
  const auto show = [](QLabel* label, const std::optional<QString>& text) {
    if (text && label->text() != *text) {
      label->setText(*text);
    }
  };
  show(StationLabel, view.stationLabel);
  show(StatusLabel, view.statusLabel);
  show(TrackLabel, view.trackLabel);
  show(leftch, view.leftLevel);
  show(RightCh, view.rightLevel);
  if (view.placeRightLevelAfterStatus) {
    StatusLabel->adjustSize();
    RightCh->move(StatusLabel->x() + StatusLabel->width() + 10, RightCh->y());
  }
  if (view.trackLabelFillsPanel) {
    m_trackLabelWraps = true;
    placeTrackLabel();
  }
  if (view.playButtons) {
    PlayStopImage->setImage(qv::playback::playButtonImageName(*view.playButtons));
  }
  showOnPopup(view);
}
