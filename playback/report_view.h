#pragma once

#include "header_pass.h"
#include "status_report.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace qv::i18n {
struct MainFormTexts;
}

namespace qv::playback {

//! The two play/stop buttons (main window and popup) show one of these skin images together.
enum class PlayButtonImage : std::uint8_t { Play, Stop };

//! "PngPlay_2" or "PngStop_2".
QString playButtonImageName(PlayButtonImage image);

enum class SleepRequest : std::uint8_t { KeepAwake, AllowSleep };

//! What the window changes for one report or playback event. An absent field is left as it is.
struct StatusView {
  std::optional<QString> stationLabel;
  std::optional<QString> statusLabel;
  std::optional<QString> trackLabel;
  std::optional<QString> leftLevel;   // `leftch`
  std::optional<QString> rightLevel;  // `RightCh`
  std::optional<QString> popupTrackLabel;
  bool placeRightLevelAfterStatus = false;  // `RightCh` moves to the status label's right edge + 10 px
  bool trackLabelFillsPanel = false;        // width to the info panel's right edge, auto size, word wrap
  std::optional<PlayButtonImage> playButtons;
  std::optional<bool> playingShown;
  bool beep = false;
  std::optional<SleepRequest> sleep;

  friend bool operator==(const StatusView&, const StatusView&) = default;
};

//! The interface texts the reports use, read at the moment of use.
struct ReportTexts {
  QString buffering;   // l_buf
  QString connecting;  // l_connecting
  QString notPlaying;  // l_notplaying
  QString cantPlay;    // l_cantplay
  QString errorCode;   // l_errorcode
  QString bitrate;     // l_bitrate

  //! The texts now in force: the main window's `l_buf` and the program-wide ones.
  static ReportTexts current(const qv::i18n::MainFormTexts& mainForm);
};

//! The window's state that a report reads.
struct ReportContext {
  bool playingShown = false;
  QString stationLabelText;  // shown by the popup when a title is empty
  HeaderValues headers;      // the remembered values (during a header pass: those gathered so far)
};

//! How the window shows `report`. It is a pure function: the window applies the view, and stores
//! `playingShown` when set.
StatusView viewForReport(const StatusReport& report, const ReportContext& context, const ReportTexts& texts);

//! ShowPlaybackError: a beep, `text` and "(<l_errorcode> <code>)" on a second line of the station
//! label, the play buttons back to Play, and the system may sleep again.
StatusView viewForPlaybackError(const QString& text, int code, const ReportTexts& texts);

//! The monitor found the stream playing: the buttons show Stop and the system is kept awake, unless
//! that is already shown.
StatusView viewForStreamPlaying(bool playingShown);

//! The user stopped playback: the buttons show Play, the title and the level labels are emptied;
//! the station and status labels keep their texts.
StatusView viewForUserStop();

}  // namespace qv::playback
