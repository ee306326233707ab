#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qv::playback {

//! The tag texts of the current stream as the engine hands them over: each is absent when the
//! stream has no tag of that kind.
struct StreamTags {
  std::optional<QByteArray> icyMetadata;      // "StreamTitle='…';StreamUrl='…';"
  std::optional<QByteArray> oggComments;      // the comment list, one "NAME=value" per NUL-separated line
  std::optional<QByteArray> hlsSegmentLabel;  // the EXTINF label, "10.0,News at ten"
};

//! The title now playing (ReadNowPlaying's rule), or nothing when the tags give no title and the
//! label must keep its text. The first kind present decides: ICY metadata (its StreamTitle field),
//! then the Ogg comments (ARTIST and TITLE, names in any letter case), then the HLS label (the text
//! after its first comma). An empty title is a title: the popup shows the station name for it.
//! Safe on any thread; the texts are decoded here (UTF-8, else Windows-1252). A title is at most
//! 1 KiB of UTF-8, cut between characters.
std::optional<QString> readNowPlaying(const StreamTags& tags);

//! The value of the StreamTitle field of an ICY metadata block, undecoded; nothing when the block
//! has no such field. A quoted value ends at the quote that is followed by ";" or by the end of the
//! block (trailing NUL padding ignored), so quotes and semicolons inside the title are kept.
std::optional<QByteArray> icyStreamTitle(const QByteArray& metadata);

}  // namespace qv::playback
