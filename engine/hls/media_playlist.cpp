#include "hls/media_playlist.h"

#include <cmath>
#include <limits>

#include "hls/playlist_text.h"
#include "hls/url_resolver.h"

namespace qv::engine::hls {
namespace {

ParseResult<MediaPlaylist> failed(ParseError error, std::size_t line) {
  ParseResult<MediaPlaylist> result;
  result.error = error;
  result.line = line;
  return result;
}

// The number a duration text starts with ("10", "9.97", "10 tvg-id=...", "10.0s").
std::optional<double> leadingDuration(std::string_view text) {
  text = trimBlanks(text);
  std::size_t end = 0;
  while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.' || text[end] == 'e' ||
                               text[end] == 'E' || text[end] == '+' || text[end] == '-')) {
    ++end;
  }
  return parseDecimalFloat(text.substr(0, end));
}

struct PendingByteRange {
  std::uint64_t length = 0;
  std::optional<std::uint64_t> offset;
};

// "<length>[@<offset>]"
std::optional<PendingByteRange> parseByteRange(std::string_view text) {
  PendingByteRange range;
  const std::size_t at = text.find('@');
  const auto length = parseDecimalInteger(text.substr(0, at));
  if (!length || *length == 0) {
    return std::nullopt;
  }
  range.length = *length;
  if (at != std::string_view::npos) {
    range.offset = parseDecimalInteger(text.substr(at + 1));
    if (!range.offset || *range.offset > std::numeric_limits<std::uint64_t>::max() - range.length) {
      return std::nullopt;
    }
  }
  return range;
}

}  // namespace

ParseResult<MediaPlaylist> parseMediaPlaylist(std::string_view body, std::string_view playlistUrl,
                                              const HlsLimits& limits) {
  std::vector<PlaylistLine> lines;
  switch (splitPlaylistLines(body, limits.maxBytes, limits.maxLines, lines)) {
    case LineSplitError::TooLarge:
      return failed(ParseError::TooLarge, 0);
    case LineSplitError::TooManyLines:
      return failed(ParseError::TooManyLines, 0);
    case LineSplitError::None:
      break;
  }
  const std::size_t header = headerLineIndex(lines);
  if (header == lines.size()) {
    return failed(ParseError::MissingHeader, lines.empty() ? 0 : lines.front().number);
  }

  ParseResult<MediaPlaylist> result;
  MediaPlaylist& playlist = result.playlist;
  bool haveTargetDuration = false;
  std::optional<Segment> pending;  // after #EXTINF, waiting for its URI line
  std::size_t pendingLine = 0;
  std::optional<PendingByteRange> pendingRange;
  std::optional<InitSection> initSection;
  bool discontinuityNext = false;
  std::uint64_t discontinuitySequence = 0;

  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    const PlaylistLine& line = lines[i];
    const std::string_view text = line.text;
    if (const auto extinf = tagValue(text, "#EXTINF")) {
      if (pending) {
        return failed(ParseError::MissingUri, pendingLine);
      }
      const std::size_t comma = extinf->find(',');
      // The duration is the leading number; players ignore a missing comma and attributes or other
      // text written after it ("10 tvg-id=...", "10.0s").
      const auto duration = leadingDuration(extinf->substr(0, comma));
      if (!duration || *duration > limits.maxSegmentSeconds) {
        return failed(ParseError::InvalidDuration, line.number);
      }
      Segment segment;
      segment.duration = *duration;
      segment.label = std::string(*extinf);
      segment.title = comma == std::string_view::npos ? std::string() : std::string(extinf->substr(comma + 1));
      pending = std::move(segment);
      pendingLine = line.number;
    } else if (const auto target = tagValue(text, "#EXT-X-TARGETDURATION")) {
      // Written as an integer; a fraction is rounded up so segments never outlast it.
      const auto seconds = parseDecimalFloat(*target);
      if (!seconds || *seconds <= 0 || *seconds > limits.maxSegmentSeconds) {
        return failed(ParseError::InvalidTargetDuration, line.number);
      }
      playlist.targetDuration = static_cast<std::uint32_t>(std::ceil(*seconds));
      haveTargetDuration = true;
    } else if (const auto sequence = tagValue(text, "#EXT-X-MEDIA-SEQUENCE")) {
      if (trimBlanks(*sequence).empty()) {
        continue;  // written without its number: the default, 0
      }
      // Numbers must leave room for every segment after the first without wrapping.
      const auto number = parseDecimalInteger(*sequence);
      if (!number || *number > std::numeric_limits<std::uint64_t>::max() - limits.maxEntries ||
          !playlist.segments.empty() || pending) {
        return failed(ParseError::InvalidSequenceNumber, line.number);
      }
      playlist.mediaSequence = *number;
    } else if (const auto discontinuityNumber = tagValue(text, "#EXT-X-DISCONTINUITY-SEQUENCE")) {
      const auto number = parseDecimalInteger(*discontinuityNumber);
      if (!number || *number > std::numeric_limits<std::uint64_t>::max() - limits.maxEntries ||
          !playlist.segments.empty() || pending) {
        return failed(ParseError::InvalidSequenceNumber, line.number);
      }
      playlist.discontinuitySequence = *number;
      discontinuitySequence = *number;
    } else if (tagValue(text, "#EXT-X-DISCONTINUITY")) {
      if (!discontinuityNext) {
        ++discontinuitySequence;
      }
      discontinuityNext = true;
    } else if (tagValue(text, "#EXT-X-ENDLIST")) {
      playlist.endList = true;
    } else if (const auto type = tagValue(text, "#EXT-X-PLAYLIST-TYPE")) {
      playlist.type = *type == "VOD"     ? PlaylistType::Vod
                      : *type == "EVENT" ? PlaylistType::Event
                                         : PlaylistType::Unspecified;
    } else if (const auto key = tagValue(text, "#EXT-X-KEY")) {
      const auto attributes = parseAttributeList(*key);
      const auto method = attributes ? findAttribute(*attributes, "METHOD") : std::nullopt;
      if (!method) {
        return failed(ParseError::InvalidAttribute, line.number);
      }
      if (*method != "NONE") {
        return failed(ParseError::UnsupportedEncryption, line.number);
      }
    } else if (const auto map = tagValue(text, "#EXT-X-MAP")) {
      const auto attributes = parseAttributeList(*map);
      const auto uri = attributes ? findAttribute(*attributes, "URI") : std::nullopt;
      if (!uri) {
        return failed(ParseError::InvalidAttribute, line.number);
      }
      const auto resolved = resolveUrl(playlistUrl, *uri);
      if (!resolved || !isFetchableUrl(*resolved)) {
        return failed(ParseError::InvalidUri, line.number);
      }
      InitSection section{*resolved, std::nullopt};
      if (const auto range = findAttribute(*attributes, "BYTERANGE")) {
        const auto parsed = parseByteRange(*range);
        if (!parsed) {
          return failed(ParseError::InvalidByteRange, line.number);
        }
        section.byteRange = ByteRange{parsed->length, parsed->offset.value_or(0)};
      }
      initSection = std::move(section);
    } else if (const auto range = tagValue(text, "#EXT-X-BYTERANGE")) {
      pendingRange = parseByteRange(*range);
      if (!pendingRange) {
        return failed(ParseError::InvalidByteRange, line.number);
      }
    } else if (tagValue(text, "#EXT-X-STREAM-INF") || tagValue(text, "#EXT-X-MEDIA")) {
      return failed(ParseError::NotMediaPlaylist, line.number);
    } else if (!text.starts_with('#')) {
      if (!pending) {
        // A segment without its #EXTINF lasts the target duration, as players take it; filled in
        // at the end when the target duration comes later.
        pending = Segment{};
        pendingLine = line.number;
      }
      if (playlist.segments.size() >= limits.maxEntries) {
        return failed(ParseError::TooManyEntries, line.number);
      }
      const auto resolved = resolveUrl(playlistUrl, text);
      if (!resolved || !isFetchableUrl(*resolved)) {
        return failed(ParseError::InvalidUri, line.number);
      }
      Segment segment = std::move(*pending);
      pending.reset();
      segment.uri = *resolved;
      if (pendingRange) {
        std::optional<std::uint64_t> offset = pendingRange->offset;
        if (!offset) {
          // Without an offset the range continues the previous segment's range of the same resource.
          // The first range of a resource without an offset starts at its beginning.
          const Segment* previous = playlist.segments.empty() ? nullptr : &playlist.segments.back();
          if (previous == nullptr || !previous->byteRange) {
            offset = 0;
          } else if (previous->uri != segment.uri ||
                     previous->byteRange->offset > std::numeric_limits<std::uint64_t>::max() -
                                                       previous->byteRange->length - pendingRange->length) {
            return failed(ParseError::InvalidByteRange, line.number);
          } else {
            offset = previous->byteRange->offset + previous->byteRange->length;
          }
        }
        segment.byteRange = ByteRange{pendingRange->length, *offset};
        pendingRange.reset();
      }
      segment.sequence = playlist.mediaSequence + playlist.segments.size();
      segment.initSection = initSection;
      segment.discontinuity = discontinuityNext;
      segment.discontinuitySequence = discontinuitySequence;
      discontinuityNext = false;
      playlist.segments.push_back(std::move(segment));
    }
    // Unknown tags and comments are skipped, as RFC 8216 asks of clients.
  }
  if (pending) {
    return failed(ParseError::MissingUri, pendingLine);
  }
  if (!haveTargetDuration) {
    return failed(ParseError::MissingTargetDuration, 0);
  }
  for (Segment& segment : playlist.segments) {
    if (segment.duration <= 0 && segment.label.empty()) {
      segment.duration = playlist.targetDuration;
    }
  }
  return result;
}

}  // namespace qv::engine::hls
