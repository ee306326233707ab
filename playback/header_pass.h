#pragma once

#include "status_report.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

namespace qv::playback {

//! The header values the window remembers between header passes; empty when absent. They are
//! cleared when a stream is found playing, so until then they hold the previous stream's values.
struct HeaderValues {
  QString icyUrl;  // the station's home page, opened from the station label
  QString icyGenre;
  QString icyDescription;
  QString iceSampleRate;  // with its unit: "44100 Hz"
  QString iceChannels;

  friend bool operator==(const HeaderValues&, const HeaderValues&) = default;
};

//! A report made during the pass, with the values gathered from the lines before it: the station
//! label shows the genre only when the server sent it before the name.
struct HeaderPassReport {
  StatusReport report;
  HeaderValues headersSoFar;
};

struct HeaderPass {
  HeaderValues headers;                   // remembered once the pass is done
  std::vector<HeaderPassReport> reports;  // StationName and BitrateLine, in line order
};

//! The header pass over the stream's ICY header lines (the HTTP lines when it has none), up to the
//! first empty line. Names are matched case-sensitively at the start of a line ("icy-name:",
//! "icy-br:", "icy-genre:", "icy-description:", "icy-url:"); "ice-samplerate" and "ice-channels"
//! anywhere in a line, so both are found in "ice-audio-info: ice-samplerate=44100;ice-channels=2".
//! Values are trimmed; a value inside a line runs from the "=" (or ":") after its name to the next
//! ";" or the end. Texts are decoded as UTF-8, else Windows-1252.
HeaderPass readHeaderPass(const QList<QByteArray>& lines);

}  // namespace qv::playback
