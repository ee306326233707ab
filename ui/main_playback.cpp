// The main window's side of playback: `Play` and the navigation, the reports of the stream opener
// and of the stream's callbacks, the monitor and its header pass, keep-awake, the station logo,
// and the notification and taskbar steps.
#include "main.h"

#include "header_pass.h"
#include "interface_texts.h"
#include "keep_awake.h"
#include "lifecycle_log.h"
#include "notifier.h"
#include "report_view.h"
#include "settings.h"
#include "station_navigation.h"
#include "status_report.h"
#include "stream_opener.h"
#include "taskbar_presenter.h"
#include "taskbar_state.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QSemaphore>
#include <QSpinBox>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>

namespace qv::ui {

//! What the window's playback keeps besides its widgets.
class PlaybackParts final : public qv::playback::StreamReports {
 public:
  explicit PlaybackParts(TMainForm& mainWindow)
      : window(mainWindow),
        keepAwake(makeSystemKeepAwake()),
        notifier(makeDefaultNotifier()),
        taskbar(makeDefaultTaskbarPresenter()),
        opener(*this) {}

  ~PlaybackParts() override { shutDown(); }

  void shutDown() {
    closing.store(true);
    opener.shutDown();
  }

  // The worker's reports wait until the window has applied them, like a sent window message; the
  // wait gives up only when the window shuts playback down, so shutting down never deadlocks.
  void report(int request, const qv::playback::StatusReport& status) override {
    applyAndWait([this, request, status] {
      if (opener.isNewest(request)) {
        window.StreamStatusMessage(status);
      }
    });
  }
  void streamStarted(int request, qv::engine::Handle stream) override {
    applyAndWait([this, request, stream] {
      if (opener.isNewest(request)) {
        window.streamStarted(stream);
      }
    });
  }
  // The stream's own threads only post: the window's thread may be waiting for them (stopping or
  // freeing the stream), so they must never wait for it.
  void streamStalled(int request) override {
    post(request, [this] { window.MonitorTimer->start(50); });
  }
  void streamEnded(int request) override {
    post(request, [this] {
      window.MonitorTimer->stop();
      window.StreamStatusMessage(qv::playback::StatusReport::failed(0));
    });
  }
  void nowPlaying(int request, const QString& title) override {
    post(request, [this, title] { window.StreamStatusMessage(qv::playback::StatusReport::title(title)); });
  }

  TMainForm& window;
  std::unique_ptr<KeepAwake> keepAwake;
  std::unique_ptr<Notifier> notifier;
  std::unique_ptr<TaskbarPresenter> taskbar;
  //! The remembered header values of the last header pass.
  qv::playback::HeaderValues headers;
  std::atomic<bool> closing{false};
  qv::playback::StreamOpener opener;  // last: its workers use the members above until it ends

 private:
  void applyAndWait(std::function<void()> apply) {
    if (closing.load()) {
      return;
    }
    auto applied = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        &window,
        [apply = std::move(apply), applied] {
          apply();
          applied->release();
        },
        Qt::QueuedConnection);
    while (!applied->tryAcquire(1, 20)) {
      if (closing.load()) {
        return;
      }
    }
  }

  void post(int request, std::function<void()> apply) {
    QMetaObject::invokeMethod(
        &window,
        [this, request, apply = std::move(apply)] {
          if (!closing.load() && opener.isNewest(request)) {
            apply();
          }
        },
        Qt::QueuedConnection);
  }
};

}  // namespace qv::ui

namespace {

// The outer buttons' hints are captions that no text field holds.
qv::playback::TaskbarHints taskbarHints(const qv::i18n::TextTable& texts) {
  return qv::playback::TaskbarHints::current(texts.text(24), texts.text(28));
}

bool loopingStations() {
  return SettingsForm != nullptr && SettingsForm->LoopStationCheckBox->isChecked();
}

}  // namespace

qv::ui::PlaybackParts& TMainForm::playback() {
  if (!m_playback) {
    MonitorTimer = new QTimer(this);
    connect(MonitorTimer, &QTimer::timeout, this, &TMainForm::MonitorTimerTick);
    m_playback = std::make_shared<qv::ui::PlaybackParts>(*this);
  }
  return *m_playback;
}

void TMainForm::setNotifier(std::unique_ptr<qv::ui::Notifier> notifier) {
  playback().notifier = std::move(notifier);
}

void TMainForm::setTaskbarPresenter(std::unique_ptr<qv::ui::TaskbarPresenter> presenter) {
  playback().taskbar = std::move(presenter);
}

void TMainForm::setKeepAwake(std::unique_ptr<qv::ui::KeepAwake> keepAwake) {
  playback().keepAwake = std::move(keepAwake);
}

void TMainForm::shutDownPlayback() {
  if (m_playback) {
    m_playback->shutDown();
    m_playback->keepAwake->allowSleep();
  }
}

void TMainForm::SetBufferSize(int bufferMs) {
  // Streams opened from now on take it; the one playing keeps its buffer.
  qv::engine::setConfig(qv::engine::Config::BufferMs, static_cast<std::uint32_t>(std::max(bufferMs, 0)));
}

void TMainForm::Play() {
  qv::ui::PlaybackParts& parts = playback();
  if (parts.opener.openPending()) {
    QApplication::beep();
    return;
  }
  const int count = activeStationCount();
  if (!qv::playback::isPlayableStation(CurrentStation, count)) {
    return;
  }
  const qv::stations::StationEntry station = *Stations.activeStation(CurrentStation);

  qv::engine::setProxy(SettingsForm ? SettingsForm->ProxyServerEdit->text().toUtf8().constData() : "");
  parts.opener.open(station.Link);

  if (SettingsForm) {
    // A whole number of 100 ms, so that closing the settings window always reads it back.
    const std::uint32_t bufferMs = qv::engine::getConfig(qv::engine::Config::BufferMs);
    if (bufferMs != UINT32_MAX) {
      SettingsForm->bufferSE->setValue(static_cast<int>(std::lround(bufferMs / 100.0)));
    }
  }
  qv::logStageOutcome("Play: current-station mark in the tray menu", qv::StageOutcome::OwnerNotBuilt);
  showStationLogo();
  parts.keepAwake->keepAwake();

  const bool notify = SettingsForm && SettingsForm->WinnotifyCB->isChecked();
  if (notify && (isMinimized() || (!alwaysOnTop() && QGuiApplication::applicationState() != Qt::ApplicationActive))) {
    parts.notifier->withdrawAll();
    parts.notifier->present(QStringLiteral("StationChanged"), QStringLiteral("Quorventale"), station.Name);
  }

  if (const auto images = qv::playback::navigationImages(CurrentStation, count, loopingStations())) {
    PreviousImage->setImage(images->previous);
    NextImage->setImage(images->next);
  }
  parts.taskbar->apply(qv::playback::taskbarState(qv::playback::TaskbarPhase::StationStarted, taskbarHints(m_texts)));
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

void TMainForm::stopCurrentStream() {
  qv::engine::channelStop(StreamHandle);
}

void TMainForm::PlayStopActionExecute() {
  if (!streamActive()) {
    Play();
    return;
  }
  stopCurrentStream();
  applyStatusView(qv::playback::viewForUserStop());
  playback().keepAwake->allowSleep();
  playback().taskbar->apply(qv::playback::taskbarState(qv::playback::TaskbarPhase::Idle, taskbarHints(m_texts)));
}

void TMainForm::PreviousActionExecute() {
  stopCurrentStream();
  CurrentStation = qv::playback::previousStation(CurrentStation, activeStationCount(), loopingStations());
  if (CurrentStation != -1) {
    Play();
  }
  StationsList->viewport()->update();
}

void TMainForm::NextActionExecute() {
  stopCurrentStream();
  CurrentStation = qv::playback::nextStation(CurrentStation, activeStationCount(), loopingStations());
  Play();
  StationsList->viewport()->update();
}

void TMainForm::Changestation(int station) {
  CurrentStation = station;
  Play();
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
  return qv::engine::channelIsActive(StreamHandle) != qv::engine::ChannelState::Stopped;
}

bool TMainForm::streamPlaying() const {
  return qv::engine::channelIsActive(StreamHandle) == qv::engine::ChannelState::Playing;
}

void TMainForm::streamStarted(qv::engine::Handle stream) {
  StreamHandle = stream;
  applyVolume(stream);
  AttachEffects(stream);
  MonitorTimer->start(25);
}

void TMainForm::StreamStatusMessage(const qv::playback::StatusReport& report) {
  if (report.code == qv::playback::ReportCode::Connecting) {
    MonitorTimer->stop();
  }
  const qv::playback::ReportContext context{PlayingShown, StationLabel->text(), playback().headers};
  applyStatusView(qv::playback::viewForReport(report, context, qv::playback::ReportTexts::current(*this)));
}

void TMainForm::ShowPlaybackError(const QString& text, int code) {
  applyStatusView(qv::playback::viewForPlaybackError(text, code, qv::playback::ReportTexts::current(*this)));
}

void TMainForm::ReadNowPlaying() {
  if (const std::optional<QString> title = qv::playback::readNowPlaying(qv::playback::streamTags(StreamHandle))) {
    StreamStatusMessage(qv::playback::StatusReport::title(*title));
  }
}

void TMainForm::MonitorTimerTick() {
  if (!streamPlaying()) {
    if (const auto progress =
            qv::playback::StatusReport::bufferingLeft(qv::engine::streamBufferingPercent(StreamHandle))) {
      StreamStatusMessage(*progress);
    }
    return;
  }
  MonitorTimer->stop();
  qv::ui::PlaybackParts& parts = playback();
  parts.headers = {};
  IcyUrl.clear();
  applyStatusView(qv::playback::viewForStreamPlaying(PlayingShown));

  const qv::playback::HeaderPass pass = qv::playback::readHeaderPass(qv::playback::headerLines(StreamHandle));
  const qv::playback::ReportTexts texts = qv::playback::ReportTexts::current(*this);
  for (const qv::playback::HeaderPassReport& step : pass.reports) {
    const qv::playback::ReportContext context{PlayingShown, StationLabel->text(), step.headersSoFar};
    applyStatusView(qv::playback::viewForReport(step.report, context, texts));
  }
  parts.headers = pass.headers;
  IcyUrl = pass.headers.icyUrl;
  ReadNowPlaying();
}

void TMainForm::applyStatusView(const qv::playback::StatusView& view) {
  if (view.beep) {
    QApplication::beep();
  }
  const auto show = [](QLabel* label, const std::optional<QString>& text) {
    if (text) {
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
    TrackLabel->setWordWrap(true);
    const int width = LargeInfoPanel->width() - TrackLabel->x();
    TrackLabel->resize(width, TrackLabel->heightForWidth(width));
  }
  if (view.popupTrackLabel) {
    qCDebug(lcLifecycle) << "popup title not shown (the popup has no title label yet):" << *view.popupTrackLabel;
  }
  if (view.playButtons) {
    PlayStopImage->setImage(qv::playback::playButtonImageName(*view.playButtons));
  }
  if (view.playingShown) {
    PlayingShown = *view.playingShown;
  }
  if (view.sleep) {
    if (*view.sleep == qv::playback::SleepRequest::KeepAwake) {
      playback().keepAwake->keepAwake();
    } else {
      playback().keepAwake->allowSleep();
    }
  }
}
