#include "station_probe.h"

#include "http_get.h"
#include "version.h"

#include <QUrl>

namespace qv::directory {
namespace {

using Clock = std::chrono::steady_clock;

bool isPlaylistType(const QByteArray& contentType) {
  const QByteArray type = contentType.toLower();
  return type.contains("mpegurl") || type.contains("scpls") || type.contains("x-pls") || type.contains("xspf");
}

bool isAudioType(const QByteArray& contentType) {
  const QByteArray type = contentType.toLower().split(';').front().trimmed();
  return (type.startsWith("audio/") && !isPlaylistType(type)) || type == "application/ogg" || type == "video/mp2t" ||
         type == "audio/aacp";
}

bool isTextType(const QByteArray& contentType) {
  const QByteArray type = contentType.toLower();
  return type.startsWith("text/") || type.contains("html") || type.contains("json") || type.contains("xml");
}

ProbeResult dead(DeadReason reason, int status = 0, bool networkFailure = false) {
  ProbeResult result;
  result.verdict = Verdict::Dead;
  result.reason = reason;
  result.status = status;
  result.networkFailure = networkFailure;
  return result;
}

ProbeResult failureResult(const HttpAnswer& answer) {
  switch (answer.failure) {
    case HttpFailure::Refused:
      return dead(DeadReason::Refused);
    case HttpFailure::Resolve:
    case HttpFailure::Unreachable:
      return dead(DeadReason::Unreachable, 0, true);
    case HttpFailure::ConnectTimedOut:
      return dead(DeadReason::TimedOut, 0, true);
    case HttpFailure::TimedOut:
      return dead(DeadReason::TimedOut);
    case HttpFailure::Cancelled:
      return {};
    case HttpFailure::None:
    case HttpFailure::TooLarge:
    case HttpFailure::Other:
      break;
  }
  return dead(DeadReason::NotAudio);
}

// The first http(s) link of a PLS, M3U or XSPF playlist, resolved against `base`.
QString firstLinkOf(const QByteArray& playlist, const QString& base) {
  const bool pls = playlist.trimmed().toLower().startsWith("[playlist]");
  for (QByteArray line : playlist.split('\n')) {
    line = line.trimmed();
    if (pls) {
      const qsizetype equals = line.indexOf('=');
      if (!line.toLower().startsWith("file") || equals < 0) {
        continue;  // the other keys of a PLS entry
      }
      line = line.mid(equals + 1).trimmed();
    } else if (const qsizetype open = line.indexOf("<location>"); open >= 0) {
      const qsizetype close = line.indexOf("</location>", open);
      line = line.mid(open + 10, close > open ? close - open - 10 : -1).trimmed();
    } else if (line.startsWith('<')) {
      continue;  // the rest of an XSPF file
    }
    if (line.isEmpty() || line.startsWith('#')) {
      continue;
    }
    const QUrl url = QUrl(base).resolved(QUrl(QString::fromUtf8(line)));
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))) {
      return url.toString();
    }
  }
  return {};
}

}  // namespace

QString verdictWords(const ProbeResult& result) {
  switch (result.verdict) {
    case Verdict::Alive:
      return QStringLiteral("alive");
    case Verdict::Moved:
      return QStringLiteral("moved");
    case Verdict::Unchecked:
      return QStringLiteral("not checked");
    case Verdict::Dead:
      break;
  }
  switch (result.reason) {
    case DeadReason::Refused:
      return QStringLiteral("dead (refused)");
    case DeadReason::HttpStatus:
      return QStringLiteral("dead (%1)").arg(result.status);
    case DeadReason::TimedOut:
      return QStringLiteral("dead (time-out)");
    case DeadReason::NotAudio:
      return QStringLiteral("dead (not audio)");
    case DeadReason::Unreachable:
      return QStringLiteral("dead (unreachable)");
    case DeadReason::BadLink:
    case DeadReason::None:
      break;
  }
  return QStringLiteral("dead (bad link)");
}

bool looksLikeAudio(const QByteArray& bytes) {
  if (bytes.size() < 4) {
    return false;
  }
  const auto byte = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.startsWith("ID3") || bytes.startsWith("OggS") || bytes.startsWith("fLaC") || bytes.mid(4, 4) == "ftyp") {
    return true;
  }
  if (byte(0) == 0x47 && bytes.size() > 188 && byte(188) == 0x47) {
    return true;  // MPEG-TS packets
  }
  // An MP3 or ADTS frame sync within the first bytes (a stream may start mid-frame).
  for (qsizetype i = 0; i + 1 < bytes.size() && i < 4096; ++i) {
    if (byte(i) != 0xFF || (byte(i + 1) & 0xE0) != 0xE0) {
      continue;
    }
    const int version = (byte(i + 1) >> 3) & 3;
    const int layer = (byte(i + 1) >> 1) & 3;
    if ((version != 1 && layer != 0) || (byte(i + 1) & 0xF6) == 0xF0) {
      return true;  // MP3, or ADTS (layer 0)
    }
  }
  return false;
}

ProbeResult probeStation(const QString& link, const std::atomic<bool>& cancel, const ProbeOptions& options) {
  const Clock::time_point deadline = Clock::now() + options.timeout;
  QString url = link.trimmed();
  bool allPermanent = true;
  int redirects = 0;
  bool followedPlaylist = false;
  while (true) {
    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
      return dead(DeadReason::BadLink);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      return dead(DeadReason::TimedOut);
    }
    HttpGetOptions request;
    request.plainHttpAllowed = true;
    request.icyStatusAccepted = true;
    request.maxRedirects = 0;  // followed here, to tell a permanent move from a passing one
    request.connectTimeout = std::min(left, std::chrono::milliseconds(5000));
    request.totalTimeout = left;
    request.maxBodyBytes = std::size_t{1} << 20;
    request.stopAfterBytes = options.audioBytes;
    request.userAgent = QByteArray("Quorventale/") + kVersion;
    const HttpAnswer answer = httpGet(url.toUtf8(), request, cancel);
    if (cancel.load()) {
      return {};
    }
    if (!answer.error.isEmpty()) {
      return failureResult(answer);
    }
    if (answer.status >= 300 && answer.status < 400 && !answer.redirectUrl.isEmpty()) {
      if (++redirects > options.maxRedirects) {
        return dead(DeadReason::BadLink, answer.status);
      }
      allPermanent = allPermanent && (answer.status == 301 || answer.status == 308);
      url = QString::fromUtf8(answer.redirectUrl);
      continue;
    }
    if (answer.status < 200 || answer.status > 299) {
      return dead(DeadReason::HttpStatus, answer.status);
    }

    // An HLS playlist names its segments' length; a plain M3U of station links does not.
    const bool hls = answer.body.startsWith("#EXTM3U") && answer.body.contains("#EXT-X-");
    bool plays = false;
    if (hls) {
      // Fetched, not played: a playlist that lists segments or variants is taken as live.
      plays = answer.body.contains("#EXTINF") || answer.body.contains("#EXT-X-STREAM-INF") ||
              answer.body.size() >= static_cast<qsizetype>(options.audioBytes);
    } else if (isPlaylistType(answer.contentType) || answer.body.trimmed().toLower().startsWith("[playlist]")) {
      const QString next = followedPlaylist ? QString() : firstLinkOf(answer.body, url);
      if (next.isEmpty()) {
        return dead(DeadReason::NotAudio, answer.status);
      }
      followedPlaylist = true;
      url = next;
      continue;
    } else if (isAudioType(answer.contentType)) {
      plays = !answer.body.isEmpty();
    } else if (!isTextType(answer.contentType)) {
      plays = looksLikeAudio(answer.body);  // no type or a generic one: the bytes tell
    }
    if (!plays) {
      return dead(DeadReason::NotAudio, answer.status);  // also a stream that ended before any audio
    }
    ProbeResult result;
    result.status = answer.status;
    if (redirects > 0 && allPermanent && !followedPlaylist) {
      result.verdict = Verdict::Moved;
      result.movedTo = url;
    } else {
      result.verdict = Verdict::Alive;
    }
    return result;
  }
}

}  // namespace qv::directory
