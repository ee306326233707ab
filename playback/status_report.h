#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv::playback {

//! The codes of the reports that the stream opener, the engine's callbacks and the monitor send
//! to the main window (StreamStatusMessage). No other code exists.
enum class ReportCode : std::uint8_t {
  Connecting = 0,    // the worker is about to open the URL
  Failed = 1,        // the open failed (number: the engine's error code) or the stream ended (0)
  Buffering = 2,     // number: percent buffered, 0..100
  StationName = 3,   // text: the icy-name value
  BitrateLine = 4,   // text: the icy-br value
  Title = 7,         // text: the title now playing, possibly empty
  ServerStatus = 8,  // text: the server's status line during the connection
};

//! One report with its payload. Texts are decoded where the report is made, so the report may be
//! queued or copied freely; the window only applies it.
struct StatusReport {
  ReportCode code = ReportCode::Connecting;
  int number = 0;
  QString text;

  static StatusReport connecting() { return {ReportCode::Connecting, 0, {}}; }
  static StatusReport failed(int errorCode) { return {ReportCode::Failed, errorCode, {}}; }
  static StatusReport buffering(int percent) { return {ReportCode::Buffering, percent, {}}; }
  //! The monitor's progress report from the percent still to buffer: none when nothing is left to
  //! buffer or the engine has no answer (a negative or out-of-range value).
  static std::optional<StatusReport> bufferingLeft(int percentLeft);
  static StatusReport title(const QString& title) { return {ReportCode::Title, 0, title}; }
  //! From the header block the server answered with: its first line, decoded.
  static StatusReport serverStatus(QByteArrayView headerBlock);

  friend bool operator==(const StatusReport&, const StatusReport&) = default;
};

}  // namespace qv::playback
