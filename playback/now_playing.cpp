#include "now_playing.h"

#include "icy_title.h"
#include "title_text.h"

#include "text/network_text.h"

#include <QList>

namespace qv::playback {
namespace {

using qv::text::decodeNetworkText;

std::optional<QString> oggTitle(const QByteArray& comments) {
  std::optional<QByteArrayView> artist;
  std::optional<QByteArrayView> title;
  const QList<QByteArray> lines = comments.split('\0');
  for (const QByteArray& line : lines) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) {
      continue;
    }
    const QByteArrayView name = QByteArrayView(line).first(equals);
    const QByteArrayView value = QByteArrayView(line).sliced(equals + 1);
    if (!artist && name.compare("artist", Qt::CaseInsensitive) == 0) {
      artist = value;
    } else if (!title && name.compare("title", Qt::CaseInsensitive) == 0) {
      title = value;
    }
  }
  const QString titleText = title ? decodeNetworkText(*title) : QString();
  if (!artist || artist->isEmpty()) {
    return titleText;
  }
  const QString artistText = decodeNetworkText(*artist);
  return titleText.isEmpty() ? artistText : artistText + QStringLiteral(" - ") + titleText;
}

}  // namespace

std::optional<QByteArray> icyStreamTitle(const QByteArray& metadata) {
  const std::optional<std::string_view> title =
      qv::engine::icyStreamTitle(std::string_view(metadata.constData(), static_cast<std::size_t>(metadata.size())));
  if (!title) {
    return std::nullopt;
  }
  return QByteArray(title->data(), static_cast<qsizetype>(title->size()));
}

namespace {

//! At most kMaxTitleBytes of UTF-8, cut between characters.
QString bounded(const QString& title) {
  const QByteArray utf8 = title.toUtf8();
  if (static_cast<std::size_t>(utf8.size()) <= qv::engine::kMaxTitleBytes) {
    return title;
  }
  const std::string_view cut = qv::engine::cutTitle(std::string_view(utf8.constData(), utf8.size()));
  return QString::fromUtf8(cut.data(), static_cast<qsizetype>(cut.size()));
}

std::optional<QString> unboundedNowPlaying(const StreamTags& tags) {
  std::optional<QString> title;
  if (tags.icyMetadata) {
    const std::optional<QByteArray> streamTitle = icyStreamTitle(*tags.icyMetadata);
    if (!streamTitle) {
      return std::nullopt;
    }
    title = decodeNetworkText(*streamTitle);
  } else if (tags.oggComments) {
    return oggTitle(*tags.oggComments);
  }
  // An HLS label also follows an ICY title, and being read last it is the one that shows.
  if (tags.hlsSegmentLabel && !tags.hlsSegmentLabel->isEmpty()) {
    const QByteArrayView label(*tags.hlsSegmentLabel);
    const qsizetype comma = label.indexOf(',');
    title = decodeNetworkText(comma < 0 ? label : label.sliced(comma + 1));
  }
  return title;
}

}  // namespace

std::optional<QString> readNowPlaying(const StreamTags& tags) {
  std::optional<QString> title = unboundedNowPlaying(tags);
  if (title) {
    title = bounded(*title);
  }
  return title;
}

}  // namespace qv::playback
