#include "media_player_port.h"

namespace qv::ui {

MediaTrack splitStreamTitle(const QString& streamTitle) {
  MediaTrack track;
  track.title = streamTitle;
  const qsizetype separator = streamTitle.indexOf(QLatin1String(" - "));
  if (separator > 0) {
    const QString artist = streamTitle.left(separator).trimmed();
    const QString title = streamTitle.mid(separator + 3).trimmed();
    if (!artist.isEmpty() && !title.isEmpty()) {
      track.artist = artist;
      track.title = title;
    }
  }
  return track;
}

}  // namespace qv::ui
