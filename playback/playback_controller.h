#pragma once

#include "engine.h"
#include "eq_presets.h"
#include "header_pass.h"
#include "keep_awake_port.h"
#include "level_meter.h"
#include "levelling_memory.h"
#include "reconnect_policy.h"
#include "report_view.h"
#include "station_navigation.h"
#include "stations/station_entry.h"
#include "status_report.h"
#include "taskbar_state.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace qv::settings {
class SettingsModel;
}
namespace qv::stations {
class StationList;
struct StationEntry;
}  // namespace qv::stations

namespace qv::playback {

class StreamOpener;
struct StartSound;
class ControllerReports;

//! What playback is doing, as a tray, a popup or the media keys show it.
enum class PlaybackState : std::uint8_t {
  Idle,        // nothing requested, or stopped by the user
  Connecting,  // a station was asked for and its stream is being opened
  Buffering,   // the stream fills its buffer (at the start or after a stall)
  Playing,
  Error,  // the open failed or the stream ended
};

//! The one owner of playback: the current stream and its effects, the volume and mute, the stream
//! opener with its newest-request rule, the monitor and its header pass, the level polling,
//! keep-awake and the taskbar state. Every control (window buttons, keys, the station list, the
//! tray, the popup, media keys, timers) calls these operations; observers show what the signals
class OutputNotices;

//! say. GUI thread only; no widgets.
class PlaybackController : public QObject {
  Q_OBJECT

 public:
  PlaybackController(qv::stations::StationList& stations, qv::settings::SettingsModel& settings,
                     QObject* parent = nullptr);
  ~PlaybackController() override;

  // ---- operations -----------------------------------------------------------------------------

  //! `Play`: opens the current station of the active list. Beeps (beepRequested) and does nothing
  //! while an earlier open is still pending; nothing without a playable current station.
  void play();
  //! A station chosen by the user: it becomes current and plays. `stopFirst` silences the current
  //! stream at once (list double-click); otherwise it sounds until the new one replaces it.
  void playStation(int index, bool stopFirst);
  //! A station that is not in the list (a stream link from the command line or a second start, a
  //! directory result): the current stream stops at once and it plays, even while an earlier open
  //! is pending (the newest request wins). The list and its current station stay as they were;
  //! `play` opens this station again until one of the list is chosen. Nothing for an empty link.
  void playUnlisted(const qv::stations::StationEntry& station);
  //! Stops whatever soundRequested() covers: the current stream (its handle stays until the next
  //! open frees it), a station still connecting and a reconnection.
  void stop();
  //! Stops when soundRequested(), plays otherwise.
  void playStop();
  //! Stop, then the previous or next station after the looping setting, and play it.
  void previous();
  void next();

  //! The volume 0..100 (clamped); applied to the current stream at once, which also ends a mute,
  //! and given to every new stream from its first sample.
  void setVolume(int percent);
  //! Mutes or restores the playing stream; nothing unless it is playing.
  void toggleMute();
  //! Band 0..5 to slider position 0..30 (15 − position dB); the reverb to position 0..20.
  void setBand(int band, int position);
  void setReverb(int position);
  //! Applies preset `index`: only the bands whose position changes are rewritten (bandMoved for
  //! each). "Custom" and unknown indexes change nothing.
  void applyPreset(int index);
  //! The playback buffer of the streams opened from now on (the one playing keeps its own); `play`
  //! reports it back as the BufferLength setting.
  void setBufferSize(int bufferMs);
  //! The output devices the system reports, by name, for the settings window's list.
  QStringList outputDevices() const;

  //! Ends every open and every report; the engine should be released first.
  void shutDown();

  //! The waits and limits of reconnection (tests scale them down).
  void setReconnectTiming(const ReconnectTiming& timing);

  // ---- what observers may ask -------------------------------------------------------------------

  PlaybackState state() const { return m_state; }
  //! The one answer to "is something playing": a station is connecting, buffering or playing, or
  //! being reconnected. Stop ends all of these; the desktop's controls show it as playing.
  bool soundRequested() const;
  //! The engine's view of the current stream: active is anything but stopped (stalled counts).
  bool streamActive() const;
  bool streamPlaying() const;
  //! The stream's volume is 0 (muted); false without a stream.
  bool streamMuted() const;
  int volume() const { return m_volume; }
  //! The play buttons show Stop.
  bool playingShown() const { return m_playingShown; }
  QString title() const { return m_title; }
  //! The name of the current station in the list, or of the link playing outside it; empty for none.
  QString stationName() const;
  //! The station's home page from its "icy-url" header; empty when it sent none.
  QString icyUrl() const { return m_headers.icyUrl; }
  //! The station dropped and is being opened again (setting `Reconnect`).
  bool reconnecting() const { return m_reconnectPhase != ReconnectPhase::Off; }
  //! The number of the attempt waiting or running, from 1; 0 when not reconnecting.
  int reconnectAttempt() const { return reconnecting() ? m_reconnect.attempt() : 0; }
  bool canGoPrevious() const;
  bool canGoNext() const;
  BandPositions bandPositions() const { return m_bands; }
  int reverbPosition() const { return m_reverb; }
  TaskbarState taskbarState() const { return m_taskbar; }
  //! The number of stations `play` and the navigation work on.
  int activeStationCount() const;
  //! The current stream and its effects (band 1 to 6, then the reverb); 0 for none.
  qv::engine::Handle stream() const { return m_stream; }
  std::array<qv::engine::Handle, kEqBandCount> bandEffects() const { return m_bandEffects; }
  qv::engine::Handle reverbEffect() const { return m_reverbEffect; }

  // ---- wiring ----------------------------------------------------------------------------------

  //! The interface texts the reports use, read at the moment of use (built-in English by default).
  void setTextSource(std::function<ReportTexts()> texts);
  //! The hints of the outer taskbar buttons.
  void setTaskbarHints(std::function<TaskbarHints()> hints);
  void setKeepAwake(std::unique_ptr<KeepAwake> keepAwake);
  //! Where the levelling gain learned per station is kept; without it every station starts at 0 dB.
  void setLevellingMemory(std::unique_ptr<LevellingMemory> memory);

  //! Applies one report of the opener, the stream's callbacks or the monitor.
  void handleReport(const StatusReport& report);
  //! ShowPlaybackError: a beep, the text and the code in the station label, play buttons to Play.
  void showPlaybackError(const QString& text, int code);

  //! Titles are shown at most this often; one that comes sooner waits, and a later one replaces it.
  static constexpr qint64 kTitleIntervalMs = 250;

 signals:
  //! What the labels and play buttons show now; absent fields stay as they are.
  void viewChanged(const qv::playback::StatusView& view);
  void stateChanged(qv::playback::PlaybackState state);
  void titleChanged(const QString& title);
  //! The header pass found the station's home page ("icy-url"), or none.
  void homePageChanged(const QString& url);
  //! `play` has asked for the station `index` of the active list (logo, notification, tray mark);
  //! -1 for a station from outside the list (playUnlisted).
  void stationRequested(int index, const qv::stations::StationEntry& station);
  //! The previous/next images after a play request; only while looping is off.
  void navigationImagesChanged(const qv::playback::NavigationImages& images);
  void volumeChanged(int percent);
  //! A mute click took effect: `image` is the mute button's new look.
  void muteToggled(bool muted, const QString& image);
  void levelsChanged(const qv::playback::LevelBrackets& levels);
  void bandMoved(int band, int position);
  void taskbarChanged(const qv::playback::TaskbarState& state);
  //! A play request while an open is pending, refused.
  void beepRequested();
  //! Reconnection waits for attempt `attempt` (from 1), or has ended (0): it plays again, the
  //! user stopped or chose another station, or the attempts are spent.
  void reconnectChanged(int attempt);

 private:
  friend class ControllerReports;
  //! Runs the stream opener's and the stream's reports on this thread (queued by name from theirs).
  Q_INVOKABLE void drainReports();

  void streamStarted(qv::engine::Handle stream, const std::vector<qv::engine::Handle>& effects);
  void streamStalled();
  void streamEnded();
  void monitorTick();
  //! Shows the level the stream's level watch told last (woken by kShowLevelsEvent from the audio
  //! thread).
  void showLevels();
  bool event(QEvent* event) override;
  void readNowPlaying();
  //! No title, none waiting: the next stream's first title shows at once.
  void forgetTitle();
  void apply(const StatusView& view);
  void setState(PlaybackState state);
  void setTaskbar(TaskbarPhase phase);
  StartSound startSound() const;
  //! Keeps the current stream's learned levelling gain for its station.
  void rememberLevelling();
  //! Stops the current stream, after keeping what it learned.
  void stopStream();
  //! As stopStream when another station takes its place, but faded out with the crossfade on.
  void leaveStream();
  bool looping() const;
  //! Opens `station` (PLAY_ARRAY index `index`, -1 outside the list) and tells the observers.
  void openStation(int index, const qv::stations::StationEntry& station);

  // Reconnection (playback_controller_reconnect.cpp).
  enum class ReconnectPhase : std::uint8_t { Off, Waiting, Opening };
  bool reconnectAfterLoss();
  bool reconnectAfterFailure(int errorCode);
  void scheduleAttempt(std::chrono::milliseconds wait);
  void openAttempt();
  void endReconnecting();
  //! What a report shows while reconnecting: the attempt in the station label, the Stop button.
  StatusView duringReconnect(StatusView view) const;

  qv::stations::StationList& m_stations;
  qv::settings::SettingsModel& m_settings;
  std::function<ReportTexts()> m_texts;
  std::function<TaskbarHints()> m_hints;
  std::unique_ptr<KeepAwake> m_keepAwake;

  PlaybackState m_state = PlaybackState::Idle;
  qv::engine::Handle m_stream = 0;
  std::array<qv::engine::Handle, kEqBandCount> m_bandEffects{};
  qv::engine::Handle m_reverbEffect = 0;
  int m_volume = 100;
  BandPositions m_bands;
  int m_reverb = kReverbPositionStart;
  bool m_playingShown = false;
  QString m_title;
  QString m_stationLabel;  // what the station label shows now: the popup falls back to it
  HeaderValues m_headers;
  TaskbarState m_taskbar;
  LevelBrackets m_levels;
  QTimer* m_monitor;
  std::shared_ptr<LevelSignal> m_levelSignal;      // shared with the streams' level watches
  std::shared_ptr<OutputNotices> m_outputNotices;  // shared with the engine's output watch
  QTimer* m_titleTimer;                            // single shot: shows m_pendingTitle
  QElapsedTimer m_titleShown;                      // since the last title was shown
  std::optional<StatusReport> m_pendingTitle;      // the newest title that came too soon
  ReconnectPolicy m_reconnect;
  ReconnectPhase m_reconnectPhase = ReconnectPhase::Off;
  QTimer* m_reconnectTimer;
  static constexpr std::chrono::seconds kRememberLevellingEvery{15};
  static constexpr std::uint32_t kCrossfadeMs = 300;
  QTimer* m_levellingTimer;  // while a stream plays
  std::unique_ptr<LevellingMemory> m_levellingMemory;
  QString m_streamLink;   // the link of the station m_stream plays
  QString m_stationLink;  // the link of the station asked for last, opened again on reconnect
  bool m_heard = false;   // that station has played since it was asked for
  int m_lastStatus = 0;   // the status code of the newest server answer (404, 503...)
  // The station asked for last when it is not in the list (playUnlisted); its name is shown.
  std::optional<qv::stations::StationEntry> m_unlisted;
  std::unique_ptr<ControllerReports> m_reports;
  std::unique_ptr<StreamOpener> m_opener;  // last: its workers report through m_reports
};

}  // namespace qv::playback
