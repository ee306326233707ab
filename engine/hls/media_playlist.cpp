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

// A refusal and the line it concerns.
struct Fault {
  ParseError error;
  std::size_t line;
};

// What the lines read so far leave for the next ones.
struct MediaParse {
  MediaParse(std::string_view url, const HlsLimits& bounds) : playlistUrl(url), limits(bounds) {}

  std::string_view playlistUrl;
  const HlsLimits& limits;
  MediaPlaylist playlist;
  bool haveTargetDuration = false;
  std::optional<Segment> pending;  // after #EXTINF, waiting for its URI line
  std::size_t pendingLine = 0;
  std::optional<PendingByteRange> pendingRange;
  std::optional<InitSection> initSection;
  bool discontinuityNext = false;
  std::uint64_t discontinuitySequence = 0;
};

std::optional<Fault> readExtinf(MediaParse& parse, std::string_view extinf, std::size_t line) {
  if (parse.pending) {
    return Fault{ParseError::MissingUri, parse.pendingLine};
  }
  const std::size_t comma = extinf.find(',');
  // The duration is the leading number; players ignore a missing comma and attributes or other
  // text written after it ("10 tvg-id=...", "10.0s").
  const auto duration = leadingDuration(extinf.substr(0, comma));
  if (!duration || *duration > parse.limits.maxSegmentSeconds) {
    return Fault{ParseError::InvalidDuration, line};
  }
  Segment segment;
  segment.duration = *duration;
  segment.label = std::string(extinf);
  segment.title = comma == std::string_view::npos ? std::string() : std::string(extinf.substr(comma + 1));
  parse.pending = std::move(segment);
  parse.pendingLine = line;
  return std::nullopt;
}

ParseError readTargetDuration(MediaParse& parse, std::string_view target) {
  // Written as an integer; a fraction is rounded up so segments never outlast it.
  const auto seconds = parseDecimalFloat(target);
  if (!seconds || *seconds <= 0 || *seconds > parse.limits.maxSegmentSeconds) {
    return ParseError::InvalidTargetDuration;
  }
  parse.playlist.targetDuration = static_cast<std::uint32_t>(std::ceil(*seconds));
  parse.haveTargetDuration = true;
  return ParseError::None;
}

// A sequence number, which must come before the first segment and leave room for every segment
// after it without wrapping.
std::optional<std::uint64_t> sequenceNumber(const MediaParse& parse, std::string_view text) {
  const auto number = parseDecimalInteger(text);
  if (!number || *number > std::numeric_limits<std::uint64_t>::max() - parse.limits.maxEntries ||
      !parse.playlist.segments.empty() || parse.pending) {
    return std::nullopt;
  }
  return number;
}

ParseError readKey(std::string_view key) {
  const auto attributes = parseAttributeList(key);
  const auto method = attributes ? findAttribute(*attributes, "METHOD") : std::nullopt;
  if (!method) {
    return ParseError::InvalidAttribute;
  }
  return *method == "NONE" ? ParseError::None : ParseError::UnsupportedEncryption;
}

ParseError readMap(MediaParse& parse, std::string_view map) {
  const auto attributes = parseAttributeList(map);
  const auto uri = attributes ? findAttribute(*attributes, "URI") : std::nullopt;
  if (!uri) {
    return ParseError::InvalidAttribute;
  }
  const auto resolved = resolveUrl(parse.playlistUrl, *uri);
  if (!resolved || !isFetchableUrl(*resolved)) {
    return ParseError::InvalidUri;
  }
  InitSection section{*resolved, std::nullopt};
  if (const auto range = findAttribute(*attributes, "BYTERANGE")) {
    const auto parsed = parseByteRange(*range);
    if (!parsed) {
      return ParseError::InvalidByteRange;
    }
    section.byteRange = ByteRange{parsed->length, parsed->offset.value_or(0)};
  }
  parse.initSection = std::move(section);
  return ParseError::None;
}

// The pending #EXT-X-BYTERANGE placed in `segment`'s resource.
ParseError placeByteRange(MediaParse& parse, Segment& segment) {
  std::optional<std::uint64_t> offset = parse.pendingRange->offset;
  if (!offset) {
    // Without an offset the range continues the previous segment's range of the same resource.
    // The first range of a resource without an offset starts at its beginning.
    const auto& segments = parse.playlist.segments;
    const Segment* previous = segments.empty() ? nullptr : &segments.back();
    if (previous == nullptr || !previous->byteRange) {
      offset = 0;
    } else if (previous->uri != segment.uri || previous->byteRange->offset > std::numeric_limits<std::uint64_t>::max() -
                                                                                 previous->byteRange->length -
                                                                                 parse.pendingRange->length) {
      return ParseError::InvalidByteRange;
    } else {
      offset = previous->byteRange->offset + previous->byteRange->length;
    }
  }
  segment.byteRange = ByteRange{parse.pendingRange->length, *offset};
  parse.pendingRange.reset();
  return ParseError::None;
}

ParseError readSegmentUri(MediaParse& parse, std::string_view uri, std::size_t line) {
  if (!parse.pending) {
    // A segment without its #EXTINF lasts the target duration, as players take it; filled in at
    // the end when the target duration comes later.
    parse.pending = Segment{};
    parse.pendingLine = line;
  }
  MediaPlaylist& playlist = parse.playlist;
  if (playlist.segments.size() >= parse.limits.maxEntries) {
    return ParseError::TooManyEntries;
  }
  const auto resolved = resolveUrl(parse.playlistUrl, uri);
  if (!resolved || !isFetchableUrl(*resolved)) {
    return ParseError::InvalidUri;
  }
  Segment segment = std::move(*parse.pending);
  parse.pending.reset();
  segment.uri = *resolved;
  if (parse.pendingRange) {
    if (const ParseError error = placeByteRange(parse, segment); error != ParseError::None) {
      return error;
    }
  }
  segment.sequence = playlist.mediaSequence + playlist.segments.size();
  segment.initSection = parse.initSection;
  segment.discontinuity = parse.discontinuityNext;
  segment.discontinuitySequence = parse.discontinuitySequence;
  parse.discontinuityNext = false;
  playlist.segments.push_back(std::move(segment));
  return ParseError::None;
}

// The tags that describe the playlist as a whole or the segments to come.
ParseError readPlaylistTag(MediaParse& parse, std::string_view text) {
  MediaPlaylist& playlist = parse.playlist;
  if (const auto target = tagValue(text, "#EXT-X-TARGETDURATION")) {
    return readTargetDuration(parse, *target);
  }
  if (const auto sequence = tagValue(text, "#EXT-X-MEDIA-SEQUENCE")) {
    if (trimBlanks(*sequence).empty()) {
      return ParseError::None;  // written without its number: the default, 0
    }
    const auto number = sequenceNumber(parse, *sequence);
    if (!number) {
      return ParseError::InvalidSequenceNumber;
    }
    playlist.mediaSequence = *number;
  } else if (const auto discontinuityNumber = tagValue(text, "#EXT-X-DISCONTINUITY-SEQUENCE")) {
    const auto number = sequenceNumber(parse, *discontinuityNumber);
    if (!number) {
      return ParseError::InvalidSequenceNumber;
    }
    playlist.discontinuitySequence = *number;
    parse.discontinuitySequence = *number;
  } else if (tagValue(text, "#EXT-X-DISCONTINUITY")) {
    if (!parse.discontinuityNext) {
      ++parse.discontinuitySequence;
    }
    parse.discontinuityNext = true;
  } else if (tagValue(text, "#EXT-X-ENDLIST")) {
    playlist.endList = true;
  } else if (const auto type = tagValue(text, "#EXT-X-PLAYLIST-TYPE")) {
    playlist.type = *type == "VOD"     ? PlaylistType::Vod
                    : *type == "EVENT" ? PlaylistType::Event
                                       : PlaylistType::Unspecified;
  }
  return ParseError::None;
}

std::optional<Fault> readMediaLine(MediaParse& parse, const PlaylistLine& line) {
  const std::string_view text = line.text;
  ParseError error = ParseError::None;
  if (const auto extinf = tagValue(text, "#EXTINF")) {
    return readExtinf(parse, *extinf, line.number);
  } else if (const auto key = tagValue(text, "#EXT-X-KEY")) {
    error = readKey(*key);
  } else if (const auto map = tagValue(text, "#EXT-X-MAP")) {
    error = readMap(parse, *map);
  } else if (const auto range = tagValue(text, "#EXT-X-BYTERANGE")) {
    parse.pendingRange = parseByteRange(*range);
    error = parse.pendingRange ? ParseError::None : ParseError::InvalidByteRange;
  } else if (tagValue(text, "#EXT-X-STREAM-INF") || tagValue(text, "#EXT-X-MEDIA")) {
    error = ParseError::NotMediaPlaylist;
  } else if (!text.starts_with('#')) {
    error = readSegmentUri(parse, text, line.number);
  } else {
    // Unknown tags and comments are skipped, as RFC 8216 asks of clients.
    error = readPlaylistTag(parse, text);
  }
  if (error != ParseError::None) {
    return Fault{error, line.number};
  }
  return std::nullopt;
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

  MediaParse parse(playlistUrl, limits);
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    if (const std::optional<Fault> fault = readMediaLine(parse, lines[i])) {
      return failed(fault->error, fault->line);
    }
  }
  if (parse.pending) {
    return failed(ParseError::MissingUri, parse.pendingLine);
  }
  if (!parse.haveTargetDuration) {
    return failed(ParseError::MissingTargetDuration, 0);
  }
  ParseResult<MediaPlaylist> result;
  result.playlist = std::move(parse.playlist);
  for (Segment& segment : result.playlist.segments) {
    if (segment.duration <= 0 && segment.label.empty()) {
      segment.duration = result.playlist.targetDuration;
    }
  }
  return result;
}

}  // namespace qv::engine::hls
