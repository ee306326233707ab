#include "now_playing.h"

#include "title_text.h"

#include "text/network_text.h"

#include <QList>

namespace qv::playback {
namespace {

using qv::text::decodeNetworkText;

struct IcyField {
  QByteArrayView name;
  QByteArrayView value;
};

// Reads the field that starts at `pos` and moves `pos` past its ";".
IcyField nextIcyField(QByteArrayView block, qsizetype& pos) {
  IcyField field;
  const qsizetype equals = block.indexOf('=', pos);
  const qsizetype nameEnd = block.indexOf(';', pos);
  if (equals < 0 || (nameEnd >= 0 && nameEnd < equals)) {
    // A field without a value.
    const qsizetype end = nameEnd < 0 ? block.size() : nameEnd;
    field.name = block.sliced(pos, end - pos);
    pos = end + 1;
    return field;
  }
  field.name = block.sliced(pos, equals - pos);
  const qsizetype valueStart = equals + 1;
  if (valueStart < block.size() && block[valueStart] == '\'') {
    // The closing quote is the first one that ends the field.
    for (qsizetype quote = block.indexOf('\'', valueStart + 1); quote >= 0; quote = block.indexOf('\'', quote + 1)) {
      if (quote + 1 == block.size() || block[quote + 1] == ';') {
        field.value = block.sliced(valueStart + 1, quote - valueStart - 1);
        pos = quote + 2;
        return field;
      }
    }
    // No closing quote: the rest of the block is the value.
    field.value = block.sliced(valueStart + 1);
    pos = block.size();
    return field;
  }
  const qsizetype semicolon = block.indexOf(';', valueStart);
  const qsizetype end = semicolon < 0 ? block.size() : semicolon;
  field.value = block.sliced(valueStart, end - valueStart);
  pos = end + 1;
  return field;
}

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
  QByteArrayView block(metadata);
  while (!block.isEmpty() && block.back() == '\0') {
    block.chop(1);
  }
  qsizetype pos = 0;
  while (pos < block.size()) {
    const IcyField field = nextIcyField(block, pos);
    if (field.name.trimmed() == QByteArrayView("StreamTitle")) {
      return field.value.toByteArray();
    }
  }
  return std::nullopt;
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
