#include "header_pass.h"

#include "text/network_text.h"

#include <optional>

namespace qv::playback {
namespace {

using qv::text::decodeNetworkText;

std::optional<QString> valueAfterPrefix(const QByteArray& line, QByteArrayView prefix) {
  if (!line.startsWith(prefix)) {
    return std::nullopt;
  }
  return decodeNetworkText(QByteArrayView(line).sliced(prefix.size()).trimmed());
}

// The value of `name` inside a line such as "ice-audio-info: ice-samplerate=44100;ice-channels=2"
// or "ice-samplerate: 44100".
std::optional<QString> embeddedValue(const QByteArray& line, QByteArrayView name) {
  const qsizetype at = line.indexOf(name);
  if (at < 0) {
    return std::nullopt;
  }
  QByteArrayView rest = QByteArrayView(line).sliced(at + name.size()).trimmed();
  if (rest.startsWith('=') || rest.startsWith(':')) {
    rest = rest.sliced(1);
  }
  const qsizetype semicolon = rest.indexOf(';');
  if (semicolon >= 0) {
    rest = rest.first(semicolon);
  }
  return decodeNetworkText(rest.trimmed());
}

}  // namespace

HeaderPass readHeaderPass(const QList<QByteArray>& lines) {
  HeaderPass pass;
  HeaderValues& values = pass.headers;
  for (const QByteArray& line : lines) {
    if (line.isEmpty()) {
      break;
    }
    if (auto url = valueAfterPrefix(line, "icy-url:")) {
      values.icyUrl = *url;
    }
    if (auto rate = embeddedValue(line, "ice-samplerate")) {
      values.iceSampleRate = rate->isEmpty() ? QString() : *rate + QStringLiteral(" Hz");
    }
    if (auto channels = embeddedValue(line, "ice-channels")) {
      values.iceChannels = *channels;
    }
    if (auto name = valueAfterPrefix(line, "icy-name:")) {
      pass.reports.push_back({{ReportCode::StationName, 0, *name}, values});
    } else if (auto bitrate = valueAfterPrefix(line, "icy-br:")) {
      pass.reports.push_back({{ReportCode::BitrateLine, 0, *bitrate}, values});
    }
    if (auto genre = valueAfterPrefix(line, "icy-genre:")) {
      values.icyGenre = *genre;
    }
    if (auto description = valueAfterPrefix(line, "icy-description:")) {
      values.icyDescription = *description;
    }
  }
  return pass;
}

}  // namespace qv::playback
