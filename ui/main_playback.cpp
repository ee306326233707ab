// The main window's side of playback: its controls call the playback controller, and it shows
// what the controller reports (labels, play and navigation images, the logo, the notification and
// the taskbar). The window holds no stream and calls no engine function.
#include "main.h"

#include "interface_texts.h"
#include "keep_awake.h"
#include "lifecycle_log.h"
#include "listening.h"
#include "notifier.h"
#include "playback_controller.h"
#include "report_view.h"
#include "taskbar_presenter.h"

#include <QApplication>
#include <QLabel>
#include <QListView>

namespace qv::ui {

//! The desktop parts the window drives for playback; the defaults only log until the tray work
//! brings them.
struct PlaybackParts {
  std::unique_ptr<Notifier> notifier = makeDefaultNotifier();
  std::unique_ptr<TaskbarPresenter> taskbar = makeDefaultTaskbarPresenter();
};

}  // namespace qv::ui

qv::playback::PlaybackController& TMainForm::playbackController() {
  if (!m_controller) {
    m_playback = std::make_shared<qv::ui::PlaybackParts>();
    m_controller = new qv::playback::PlaybackController(Stations, m_model, this);
    m_controller->setKeepAwake(qv::ui::makeSystemKeepAwake());
    m_controller->setTextSource([this] { return qv::playback::ReportTexts::current(*this); });
    // The outer buttons' hints are captions of the language file that no text field holds yet.
    m_controller->setTaskbarHints(
        [] { return qv::playback::TaskbarHints::current(qv::i18n::builtInText(24), qv::i18n::builtInText(28)); });
    connectPlayback();
    m_listening = new qv::ui::Listening(*this, *m_controller, Stations, m_model, PlaylistButtonPopup);
  }
  return *m_controller;
}

qv::ui::Listening& TMainForm::listening() {
  playbackController();
  return *m_listening;
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

void TMainForm::Play() {
  playbackController().play();
}

// What `Play` shows beside the stream: the logo and, when the user is elsewhere, the notification.
void TMainForm::stationRequested(const qv::stations::StationEntry& station) {
  qv::logStageOutcome("Play: current-station mark in the tray menu", qv::StageOutcome::OwnerNotBuilt);
  showStationLogo();
  const bool notify = m_model.value(qv::settings::ShowNotify);
  if (notify && (isMinimized() || (!alwaysOnTop() && QGuiApplication::applicationState() != Qt::ApplicationActive))) {
    m_playback->notifier->withdrawAll();
    m_playback->notifier->present(QStringLiteral("StationChanged"), QStringLiteral("Quorventale"), station.Name);
  }
}

// Station logos come with the logo cache; until then every station shows the default logo, which
// is always at hand, so showing it can never end `Play`.
void TMainForm::showStationLogo() {
  LogoImage->setPixmap(m_skin.image(QStringLiteral("PngStationLogo4")));
  if (const qv::stations::StationEntry* station = Stations.activeStation(CurrentStation);
      station && !station->Preview.isEmpty()) {
    qCInfo(lcLifecycle) << "station logo" << station->Preview << "not shown: there is no logo cache yet";
  }
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

void TMainForm::Changestation(int station) {
  playbackController().playStation(station, false);
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
  if (view.popupTrackLabel) {
    qCDebug(lcLifecycle) << "popup title not shown (the popup has no title label yet):" << *view.popupTrackLabel;
  }
  if (view.playButtons) {
    PlayStopImage->setImage(qv::playback::playButtonImageName(*view.playButtons));
  }
}
