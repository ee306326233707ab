#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace qv::directory {

enum class Verdict : std::uint8_t {
  Alive,
  Dead,
  //! Every redirect on the way is permanent and the stream behind them plays.
  Moved,
  //! The network itself seems down, or the check was cancelled: nothing is known.
  Unchecked,
};

enum class DeadReason : std::uint8_t {
  None,
  Refused,
  //! An HTTP error status (404 and the others); the status is in `ProbeResult::status`.
  HttpStatus,
  TimedOut,
  NotAudio,
  //! The host name does not resolve, or nothing answers at the host's address.
  Unreachable,
  //! A link that is not http(s), or a redirect loop.
  BadLink,
};

//! What one probe of a station link found.
struct ProbeResult {
  Verdict verdict = Verdict::Unchecked;
  DeadReason reason = DeadReason::None;
  int status = 0;
  //! For Moved: where the permanent redirects lead.
  QString movedTo;
  //! The failure was one of the network's (no name resolution, no route, no connection within the
  //! time-out), so it may say more about this computer's network than about the station.
  bool networkFailure = false;
};

struct ProbeOptions {
  std::chrono::milliseconds timeout{10000};
  //! The audio bytes that prove a stream plays.
  std::size_t audioBytes = 2048;
  int maxRedirects = 5;
};

//! Asks `link` for its first audio bytes (an HLS playlist is fetched and read, not played; a
//! playlist link is followed once) within `options.timeout`. Blocking; call it off the GUI thread.
ProbeResult probeStation(const QString& link, const std::atomic<bool>& cancel, const ProbeOptions& options = {});

//! The verdict in a few English words for the command-line tool and the log: "alive", "dead (404)",
//! "dead (refused)", "dead (time-out)", "dead (not audio)", "moved", "not checked".
QString verdictWords(const ProbeResult& result);

//! The first bytes of a stream are audio: MP3/AAC frame sync, ID3, Ogg, FLAC, MPEG-TS or MP4.
bool looksLikeAudio(const QByteArray& firstBytes);

}  // namespace qv::directory
