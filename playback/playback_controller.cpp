#include "playback_controller.h"

#include "audio_setup.h"
#include "interface_texts.h"
#include "settings/settings_model.h"
#include "stations/station_list.h"
#include "stream_opener.h"
#include "volume_rules.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QPointer>
#include <QSemaphore>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

Q_LOGGING_CATEGORY(lcOutput, "qv.output")

namespace qv::playback {

//! Carries what the engine's output watch is told (on a stream's thread, or on the thread that
//! asked for a device) to the controller's thread, as one log line each.
class OutputNotices {
 public:
  explicit OutputNotices(QObject* controller) : m_controller(controller) {}
  //! Any thread.
  void post(engine::OutputChange change, const std::string& deviceName) {
    std::lock_guard lock(m_mutex);
    if (m_controller != nullptr) {
      QMetaObject::invokeMethod(
          m_controller, [change, name = QString::fromStdString(deviceName)] { report(change, name); },
          Qt::QueuedConnection);
    }
  }
  //! Nothing is carried from now on: the controller is going.
  void detach() {
    std::lock_guard lock(m_mutex);
    m_controller = nullptr;
  }
  static void report(engine::OutputChange change, const QString& deviceName) {
    if (change == engine::OutputChange::NamedDeviceMissing) {
      qCWarning(lcOutput).noquote() << "output device" << deviceName << "is not there: the system default plays";
    } else {
      qCWarning(lcOutput).noquote() << "output device"
                                    << (deviceName.isEmpty() ? QStringLiteral("(system default)") : deviceName)
                                    << "went away: playback moved to the system default";
    }
  }

 private:
  std::mutex m_mutex;  // a leaf: held for the queuing of a call
  QObject* m_controller;
};

//! The opener's reports, carried to the controller's thread. The worker's reports wait until the
//! controller has applied them, like a sent window message; the wait gives up only when playback
//! shuts down, so shutting down never deadlocks. The stream's own threads only post: the
//! controller's thread may be waiting for them (stopping or freeing the stream).
class ControllerReports final : public StreamReports {
 public:
  explicit ControllerReports(PlaybackController& controller) : m_controller(controller) {}

  void setOpener(const StreamOpener* opener) { m_opener = opener; }
  void close() { m_closing.store(true); }

  void report(int request, const StatusReport& status) override {
    applyAndWait(request, [this, status] { m_controller.handleReport(status); });
  }
  void streamStarted(int request, qv::engine::Handle stream, const std::vector<qv::engine::Handle>& effects) override {
    applyAndWait(request, [this, stream, effects] { m_controller.streamStarted(stream, effects); });
  }
  void streamStalled(int request) override {
    post(request, [this] { m_controller.streamStalled(); });
  }
  void streamEnded(int request) override {
    post(request, [this] { m_controller.streamEnded(); });
  }
  void nowPlaying(int request, const QString& title) override {
    post(request, [this, title] { m_controller.handleReport(StatusReport::title(title)); });
  }

 private:
  bool shows(int request) const { return !m_closing.load() && m_opener != nullptr && m_opener->isNewest(request); }

  void applyAndWait(int request, std::function<void()> apply) {
    if (m_closing.load()) {
      return;
    }
    auto applied = std::make_shared<QSemaphore>();
    enqueue([this, request, apply = std::move(apply), applied] {
      if (shows(request)) {
        apply();
      }
      applied->release();
    });
    while (!applied->tryAcquire(1, 20)) {
      if (m_closing.load()) {
        return;
      }
    }
  }

  void post(int request, std::function<void()> apply) {
    enqueue([this, request, apply = std::move(apply)] {
      if (shows(request)) {
        apply();
      }
    });
  }

 public:
  //! On the controller's thread: runs every report handed in so far, in order.
  void drain() {
    for (;;) {
      std::function<void()> job;
      {
        const std::lock_guard<std::mutex> lock(m_inboxMutex);
        if (m_inbox.empty()) {
          return;
        }
        job = std::move(m_inbox.front());
        m_inbox.pop_front();
      }
      job();
    }
  }

 private:
  // The reports travel in our own queue, and only a call by name crosses through Qt's event queue:
  // the hand-off is then a mutex that ThreadSanitizer sees (Qt's own locks are invisible to it).
  void enqueue(std::function<void()> job) {
    {
      const std::lock_guard<std::mutex> lock(m_inboxMutex);
      m_inbox.push_back(std::move(job));
    }
    QMetaObject::invokeMethod(&m_controller, "drainReports", Qt::QueuedConnection);
  }

  PlaybackController& m_controller;
  const StreamOpener* m_opener = nullptr;
  std::atomic<bool> m_closing{false};
  std::mutex m_inboxMutex;                    // guards m_inbox only; never held across a call
  std::deque<std::function<void()>> m_inbox;  // reports not yet run on the controller's thread
};

namespace {

const auto kShowLevelsEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Until a window gives the texts of its language.
ReportTexts builtInTexts() {
  using qv::i18n::builtInText;
  return {builtInText(10), builtInText(9), builtInText(13), builtInText(14), builtInText(20), builtInText(8)};
}

}  // namespace

void PlaybackController::drainReports() {
  m_reports->drain();
}

PlaybackController::PlaybackController(qv::stations::StationList& stations, qv::settings::SettingsModel& settings,
                                       QObject* parent)
    : QObject(parent),
      m_stations(stations),
      m_settings(settings),
      m_texts(builtInTexts),
      m_hints([] { return TaskbarHints::current({}, {}); }),
      m_monitor(new QTimer(this)),
      m_titleTimer(new QTimer(this)),
      m_reconnectTimer(new QTimer(this)),
      m_levellingTimer(new QTimer(this)),
      m_reports(std::make_unique<ControllerReports>(*this)),
      m_opener(std::make_unique<StreamOpener>(*m_reports)) {
  m_bands.fill(kBandPositionFlat);
  m_volume = clampVolume(m_settings.value(qv::settings::Volume));
  m_reports->setOpener(m_opener.get());
  connect(m_monitor, &QTimer::timeout, this, &PlaybackController::monitorTick);
  // A bare event: the audio thread queues it several times a second, and a call queued by name
  // would look the method up and allocate a call object each time.
  m_levelSignal =
      std::make_shared<LevelSignal>([this] { QCoreApplication::postEvent(this, new QEvent(kShowLevelsEvent)); });
  m_titleTimer->setSingleShot(true);
  connect(m_titleTimer, &QTimer::timeout, this, [this] {
    if (m_pendingTitle) {
      handleReport(*std::exchange(m_pendingTitle, std::nullopt));
    }
  });
  m_reconnectTimer->setSingleShot(true);
  connect(m_reconnectTimer, &QTimer::timeout, this, &PlaybackController::openAttempt);
  // A stream that ends or drops on its own is gone before it could be asked what it learned.
  m_levellingTimer->setInterval(kRememberLevellingEvery);
  connect(m_levellingTimer, &QTimer::timeout, this, &PlaybackController::rememberLevelling);
  m_taskbar = qv::playback::taskbarState(TaskbarPhase::Idle, m_hints());
  // The output's device: a missing one at set-up is told here once; a change of the setting
  // moves the output at once, what plays goes on.
  m_outputNotices = std::make_shared<OutputNotices>(this);
  qv::engine::setOutputWatch([notices = m_outputNotices](qv::engine::OutputChange change, const std::string& name) {
    notices->post(change, name);
  });
  if (const QString missing = takeMissingOutputDevice(); !missing.isEmpty()) {
    OutputNotices::report(qv::engine::OutputChange::NamedDeviceMissing, missing);
  }
  m_settings.onChange(qv::settings::OutputDevice, this,
                      [](const QString& name) { qv::engine::outputSetDevice(name.toStdString()); });
}

PlaybackController::~PlaybackController() {
  shutDown();
}

void PlaybackController::shutDown() {
  rememberLevelling();
  m_levellingTimer->stop();
  m_reconnectTimer->stop();
  m_reconnectPhase = ReconnectPhase::Off;
  m_reports->close();
  m_opener->shutDown();
  m_monitor->stop();
  m_levelSignal->detach();
  m_outputNotices->detach();
  qv::engine::setOutputWatch({});
  if (m_keepAwake) {
    m_keepAwake->allowSleep();
  }
}

QStringList PlaybackController::outputDevices() const {
  QStringList names;
  for (const std::string& name : qv::engine::outputDevices()) {
    names.append(QString::fromStdString(name));
  }
  return names;
}

void PlaybackController::setTextSource(std::function<ReportTexts()> texts) {
  m_texts = std::move(texts);
}

void PlaybackController::setTaskbarHints(std::function<TaskbarHints()> hints) {
  m_hints = std::move(hints);
}

void PlaybackController::setKeepAwake(std::unique_ptr<KeepAwake> keepAwake) {
  m_keepAwake = std::move(keepAwake);
}

bool PlaybackController::looping() const {
  return m_settings.value(qv::settings::LoopStations);
}

int PlaybackController::activeStationCount() const {
  return m_stations.activeCount();
}

QString PlaybackController::stationName() const {
  if (m_unlisted) {
    return m_unlisted->Name;
  }
  const qv::stations::StationEntry* station = m_stations.activeStation(m_stations.CurrentStation);
  return station ? station->Name : QString();
}

bool PlaybackController::canGoPrevious() const {
  return activeStationCount() > 0 && (looping() || m_stations.CurrentStation > 0);
}

bool PlaybackController::canGoNext() const {
  return activeStationCount() > 0 && (looping() || m_stations.CurrentStation < activeStationCount() - 1);
}

bool PlaybackController::streamActive() const {
  return qv::engine::channelIsActive(m_stream) != qv::engine::ChannelState::Stopped;
}

bool PlaybackController::streamPlaying() const {
  return qv::engine::channelIsActive(m_stream) == qv::engine::ChannelState::Playing;
}

bool PlaybackController::streamMuted() const {
  float volume = 1.0F;
  return qv::engine::channelGetAttribute(m_stream, qv::engine::Attribute::Volume, &volume) && volume == 0.0F;
}

void PlaybackController::setLevellingMemory(std::unique_ptr<LevellingMemory> memory) {
  m_levellingMemory = std::move(memory);
}

void PlaybackController::rememberLevelling() {
  float gainDb = 0.0F;
  if (m_levellingMemory && qv::engine::channelGetLevellingGain(m_stream, &gainDb)) {
    m_levellingMemory->remember(m_streamLink, gainDb);
  }
}

void PlaybackController::leaveStream() {
  if (!m_settings.value(qv::settings::Crossfade)) {
    stopStream();
    return;
  }
  rememberLevelling();
  m_levellingTimer->stop();
  qv::engine::channelFadeOut(m_stream, kCrossfadeMs);
}

void PlaybackController::stopStream() {
  rememberLevelling();
  m_levellingTimer->stop();
  qv::engine::channelStop(m_stream);
}

StartSound PlaybackController::startSound() const {
  StartSound sound;
  sound.volume = streamVolume(m_volume);
  // After the effects and before the volume: the station starts at what was learned for it.
  sound.levelling.enabled = m_settings.value(qv::settings::Levelling);
  sound.levelling.targetLufs = static_cast<float>(m_settings.value(qv::settings::LevellingTarget));
  if (m_levellingMemory) {
    sound.levelling.initialGainDb = m_levellingMemory->gainFor(m_stationLink).value_or(0.0F);
  }
  sound.fadeOutPreviousMs = m_settings.value(qv::settings::Crossfade) ? kCrossfadeMs : 0;
  sound.levelWatch = [signal = m_levelSignal](std::uint32_t level) { signal->tell(level); };
  for (int band = 0; band < kEqBandCount; ++band) {
    qv::engine::StartEffect effect{qv::engine::EffectType::ParametricEq, 1, {}, {}};
    effect.eq = {kEqBandCentresHz[band], kEqBandwidthSemitones, bandGainDb(m_bands[band])};
    sound.effects.push_back(effect);
  }
  // The engine's own input gain stays; the rest is the reverb this player offers.
  qv::engine::StartEffect reverb{qv::engine::EffectType::Reverb, 1, {}, {}};
  reverb.reverb.reverbMixDb = reverbMixDb(m_reverb);
  reverb.reverb.reverbTimeMs = kReverbTimeMs;
  reverb.reverb.highFreqRtRatio = kReverbHighFreqRatio;
  sound.effects.push_back(reverb);
  return sound;
}

void PlaybackController::setBufferSize(int bufferMs) {
  qv::engine::setConfig(qv::engine::Config::BufferMs, static_cast<std::uint32_t>(std::clamp(bufferMs, 0, 60000)));
}

void PlaybackController::play() {
  if (m_opener->openPending()) {
    emit beepRequested();
    return;
  }
  // A station outside the list plays again until one of the list is chosen.
  if (m_unlisted) {
    const qv::stations::StationEntry station = *m_unlisted;
    openStation(-1, station);
    return;
  }
  const int current = m_stations.CurrentStation;
  if (!isPlayableStation(current, activeStationCount())) {
    return;
  }
  const qv::stations::StationEntry station = *m_stations.activeStation(current);
  openStation(current, station);
}

void PlaybackController::playUnlisted(const qv::stations::StationEntry& station) {
  if (station.Link.isEmpty()) {
    return;
  }
  leaveStream();
  m_unlisted = station;
  openStation(-1, station);
}

void PlaybackController::openStation(int index, const qv::stations::StationEntry& station) {
  const int count = activeStationCount();
  // The user's own request ends any reconnection to the station before.
  endReconnecting();
  m_reconnect.reset();
  // What the stream playing until now learned, before the opener frees it.
  rememberLevelling();
  m_stationLink = station.Link;
  m_heard = false;

  qv::engine::setProxy(m_settings.value(qv::settings::ProxyServer).toUtf8().constData());
  // The stream starts at the volume and with the sound the controls show, from its first sample.
  m_opener->open(station.Link, startSound());
  setState(PlaybackState::Connecting);

  // A whole number of 100 ms, so that the settings read it back unchanged.
  if (const std::uint32_t bufferMs = qv::engine::getConfig(qv::engine::Config::BufferMs); bufferMs != UINT32_MAX) {
    m_settings.set(qv::settings::BufferLength, static_cast<int>(std::lround(bufferMs / 100.0)));
  }
  emit stationRequested(index, station);
  if (m_keepAwake) {
    m_keepAwake->keepAwake();
  }
  if (const auto images = navigationImages(index, count, looping())) {
    emit navigationImagesChanged(*images);
  }
  setTaskbar(TaskbarPhase::StationStarted);
}

void PlaybackController::playStation(int index, bool stopFirst) {
  if (stopFirst) {
    leaveStream();
  }
  m_unlisted.reset();
  m_stations.CurrentStation = index;
  play();
}

void PlaybackController::stop() {
  // A station still connecting (also a reconnection's attempt) is dropped with whatever it opens.
  if (m_opener->openPending()) {
    m_opener->withdraw();
  }
  endReconnecting();
  m_reconnect.reset();
  stopStream();
  forgetTitle();
  apply(viewForUserStop());
  setState(PlaybackState::Idle);
  setTaskbar(TaskbarPhase::Idle);
}

void PlaybackController::playStop() {
  if (soundRequested()) {
    stop();
  } else {
    play();
  }
}

bool PlaybackController::soundRequested() const {
  // While reconnecting the button shows Stop, though no stream is active.
  return m_state == PlaybackState::Connecting || m_state == PlaybackState::Buffering ||
         m_state == PlaybackState::Playing || reconnecting() || streamActive();
}

void PlaybackController::previous() {
  leaveStream();
  m_unlisted.reset();
  m_stations.CurrentStation = previousStation(m_stations.CurrentStation, activeStationCount(), looping());
  if (m_stations.CurrentStation != -1) {
    play();
  }
}

void PlaybackController::next() {
  leaveStream();
  m_unlisted.reset();
  m_stations.CurrentStation = nextStation(m_stations.CurrentStation, activeStationCount(), looping());
  play();
}

void PlaybackController::setVolume(int percent) {
  const int volume = clampVolume(percent);
  // With no stream the call fails without effect; the next stream starts at this volume.
  qv::engine::channelSetAttribute(m_stream, qv::engine::Attribute::Volume, streamVolume(volume));
  if (volume != m_volume) {
    m_volume = volume;
    m_settings.set(qv::settings::Volume, volume);
    emit volumeChanged(volume);
  }
}

void PlaybackController::toggleMute() {
  float volume = 0.0F;
  if (!qv::engine::channelGetAttribute(m_stream, qv::engine::Attribute::Volume, &volume)) {
    return;
  }
  const std::optional<MuteToggle> toggle = muteToggle(streamPlaying(), volume, m_volume);
  if (!toggle) {
    return;
  }
  qv::engine::channelSetAttribute(m_stream, qv::engine::Attribute::Volume, toggle->streamVolume);
  emit muteToggled(toggle->streamVolume == 0.0F, toggle->image);
}

void PlaybackController::setBand(int band, int position) {
  if (band < 0 || band >= kEqBandCount) {
    return;
  }
  m_bands[band] = position;
  // The effect keeps its own centre and width; only the gain follows. Without a stream there is
  // nothing to change, and the position is kept for the next one.
  qv::dsp::ParametricEqParameters parameters;
  if (qv::engine::fxGetParameters(m_bandEffects[band], &parameters)) {
    parameters.gainDb = bandGainDb(position);
    qv::engine::fxSetParameters(m_bandEffects[band], parameters);
  }
}

void PlaybackController::setReverb(int position) {
  m_reverb = position;
  qv::dsp::ReverbParameters parameters;
  if (qv::engine::fxGetParameters(m_reverbEffect, &parameters)) {
    parameters.reverbMixDb = reverbMixDb(position);
    qv::engine::fxSetParameters(m_reverbEffect, parameters);
  }
}

void PlaybackController::applyPreset(int index) {
  for (const BandMove& move : presetMoves(index, m_bands)) {
    setBand(move.band, move.position);
    emit bandMoved(move.band, move.position);
  }
}

void PlaybackController::streamStarted(qv::engine::Handle stream, const std::vector<qv::engine::Handle>& effects) {
  m_stream = stream;
  m_streamLink = m_stationLink;
  m_levellingTimer->start();
  m_bandEffects.fill(0);
  m_reverbEffect = 0;
  if (effects.size() == kEqBandCount + 1) {
    std::copy_n(effects.begin(), kEqBandCount, m_bandEffects.begin());
    m_reverbEffect = effects.back();
  }
  // The sliders may have moved while the stream was being opened.
  for (int band = 0; band < kEqBandCount; ++band) {
    setBand(band, m_bands[band]);
  }
  setReverb(m_reverb);
  qv::engine::channelSetAttribute(m_stream, qv::engine::Attribute::Volume, streamVolume(m_volume));
  m_monitor->start(25);
}

void PlaybackController::streamStalled() {
  m_monitor->start(50);
}

void PlaybackController::streamEnded() {
  m_monitor->stop();
  if (reconnectAfterLoss()) {
    return;
  }
  handleReport(StatusReport::failed(0));
}

void PlaybackController::handleReport(const StatusReport& report) {
  if (report.code == ReportCode::ServerStatus) {
    m_lastStatus = statusCodeOf(report.text.toStdString());
  }
  if (report.code == ReportCode::Failed && reconnectAfterFailure(report.number)) {
    return;
  }
  if (report.code == ReportCode::Title) {
    // A station may change its title with every metadata block: the window shows a few a second,
    // the last one wins.
    if (m_titleShown.isValid() && !m_titleShown.hasExpired(kTitleIntervalMs)) {
      m_pendingTitle = report;
      if (!m_titleTimer->isActive()) {
        m_titleTimer->start(static_cast<int>(kTitleIntervalMs - m_titleShown.elapsed()));
      }
      return;
    }
    m_titleShown.start();
  }
  switch (report.code) {
    case ReportCode::Connecting:
      m_monitor->stop();
      forgetTitle();
      m_bandEffects.fill(0);
      m_reverbEffect = 0;
      setState(PlaybackState::Connecting);
      break;
    case ReportCode::Failed:
      setState(PlaybackState::Error);
      break;
    case ReportCode::Buffering:
      setState(PlaybackState::Buffering);
      break;
    case ReportCode::Title:
      if (m_title != report.text) {
        m_title = report.text;
        emit titleChanged(m_title);
      }
      setState(PlaybackState::Playing);
      break;
    default:
      break;
  }
  const ReportContext context{m_playingShown, m_stationLabel, m_headers};
  apply(duringReconnect(viewForReport(report, context, m_texts())));
}

void PlaybackController::forgetTitle() {
  m_title.clear();
  m_pendingTitle.reset();
  m_titleTimer->stop();
  m_titleShown.invalidate();
}

void PlaybackController::showPlaybackError(const QString& text, int code) {
  setState(PlaybackState::Error);
  apply(viewForPlaybackError(text, code, m_texts()));
}

void PlaybackController::readNowPlaying() {
  if (const std::optional<QString> title = qv::playback::readNowPlaying(streamTags(m_stream))) {
    handleReport(StatusReport::title(*title));
  }
}

void PlaybackController::monitorTick() {
  if (!streamPlaying()) {
    if (const auto progress = StatusReport::bufferingLeft(qv::engine::streamBufferingPercent(m_stream))) {
      handleReport(*progress);
    }
    return;
  }
  m_monitor->stop();
  m_headers = {};
  m_heard = true;
  m_reconnect.playing(ReconnectClock::now());
  endReconnecting();
  setState(PlaybackState::Playing);
  apply(viewForStreamPlaying(m_playingShown));

  const HeaderPass pass = readHeaderPass(headerLines(m_stream));
  const ReportTexts texts = m_texts();
  for (const HeaderPassReport& step : pass.reports) {
    const ReportContext context{m_playingShown, m_stationLabel, step.headersSoFar};
    apply(viewForReport(step.report, context, texts));
  }
  m_headers = pass.headers;
  emit homePageChanged(m_headers.icyUrl);
  readNowPlaying();
}

bool PlaybackController::event(QEvent* event) {
  if (event->type() == kShowLevelsEvent) {
    showLevels();
    return true;
  }
  return QObject::event(event);
}

void PlaybackController::showLevels() {
  const LevelBrackets levels = levelBrackets(m_levelSignal->take());
  if (levels != m_levels) {
    m_levels = levels;
    emit levelsChanged(m_levels);
  }
}

void PlaybackController::apply(const StatusView& view) {
  if (view.stationLabel) {
    m_stationLabel = *view.stationLabel;
  }
  if (view.leftLevel || view.rightLevel) {
    m_levels = {view.leftLevel.value_or(m_levels.left), view.rightLevel.value_or(m_levels.right)};
    m_levelSignal->forget();  // the stream's next level shows even when its brackets did before
  }
  if (view.trackLabel && view.trackLabel->isEmpty()) {
    forgetTitle();
  }
  if (view.playingShown) {
    m_playingShown = *view.playingShown;
  }
  if (view.sleep && m_keepAwake) {
    if (*view.sleep == SleepRequest::KeepAwake) {
      m_keepAwake->keepAwake();
    } else {
      m_keepAwake->allowSleep();
    }
  }
  emit viewChanged(view);
}

void PlaybackController::setState(PlaybackState state) {
  if (state != m_state) {
    m_state = state;
    emit stateChanged(state);
  }
}

void PlaybackController::setTaskbar(TaskbarPhase phase) {
  m_taskbar = qv::playback::taskbarState(phase, m_hints());
  emit taskbarChanged(m_taskbar);
}

}  // namespace qv::playback
