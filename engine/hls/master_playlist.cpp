#include "hls/master_playlist.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "ascii_text.h"
#include "hls/playlist_text.h"
#include "hls/url_resolver.h"

namespace qv::engine::hls {
namespace {

constexpr std::uint64_t kAudioBandwidthFloor = 64'000;

bool isAudioCodec(std::string_view codec) {
  static constexpr std::array<std::string_view, 11> kAudioCodecs = {"mp4a", "ac-3", "ec-3", "ac-4", "opus", "flac",
                                                                    "alac", "mp3",  "dtsc", "mha1", "mhm1"};
  return std::any_of(kAudioCodecs.begin(), kAudioCodecs.end(),
                     [codec](std::string_view audio) { return startsWithIgnoringCase(codec, audio); });
}

template <class Result>
Result failed(ParseError error, std::size_t line) {
  Result result;
  result.error = error;
  result.line = line;
  return result;
}

// #EXT-X-STREAM-INF: the variant the next URI line names.
ParseError readStreamInf(std::string_view text, std::optional<Variant>& pending) {
  const auto attributes = parseAttributeList(text);
  const auto bandwidth = attributes ? findAttribute(*attributes, "BANDWIDTH") : std::nullopt;
  const auto bitsPerSecond = bandwidth ? parseDecimalInteger(*bandwidth) : std::nullopt;
  if (!attributes || (bandwidth && !bitsPerSecond)) {
    return ParseError::InvalidAttribute;
  }
  Variant variant;
  variant.bandwidth = bitsPerSecond.value_or(0);  // left out by some servers: unknown
  variant.codecs = std::string(findAttribute(*attributes, "CODECS").value_or(""));
  variant.audioGroup = std::string(findAttribute(*attributes, "AUDIO").value_or(""));
  variant.hasResolution = findAttribute(*attributes, "RESOLUTION").has_value();
  pending = std::move(variant);
  return ParseError::None;
}

// #EXT-X-MEDIA: an audio rendition joins `master`; the other types carry nothing we use.
ParseError readMedia(std::string_view text, std::string_view playlistUrl, MasterPlaylist& master) {
  const auto attributes = parseAttributeList(text);
  if (!attributes) {
    return ParseError::InvalidAttribute;
  }
  if (findAttribute(*attributes, "TYPE") != "AUDIO") {
    return ParseError::None;
  }
  const auto groupId = findAttribute(*attributes, "GROUP-ID");
  if (!groupId || groupId->empty()) {
    return ParseError::InvalidAttribute;
  }
  AudioRendition rendition;
  rendition.groupId = std::string(*groupId);
  rendition.name = std::string(findAttribute(*attributes, "NAME").value_or(""));
  rendition.isDefault = findAttribute(*attributes, "DEFAULT") == "YES";
  if (const auto uri = findAttribute(*attributes, "URI")) {
    const auto resolved = resolveUrl(playlistUrl, *uri);
    if (!resolved || !isFetchableUrl(*resolved)) {
      return ParseError::InvalidUri;
    }
    rendition.uri = *resolved;
  }
  master.audioRenditions.push_back(std::move(rendition));
  return ParseError::None;
}

}  // namespace

PlaylistKind classifyPlaylist(std::string_view body) {
  std::vector<PlaylistLine> lines;
  const HlsLimits limits;
  if (splitPlaylistLines(body, limits.maxBytes, limits.maxLines, lines) != LineSplitError::None ||
      headerLineIndex(lines) == lines.size()) {
    return PlaylistKind::NotHls;
  }
  const bool master = std::any_of(lines.begin(), lines.end(), [](const PlaylistLine& line) {
    return tagValue(line.text, "#EXT-X-STREAM-INF") || tagValue(line.text, "#EXT-X-MEDIA");
  });
  return master ? PlaylistKind::Master : PlaylistKind::Media;
}

ParseResult<MasterPlaylist> parseMasterPlaylist(std::string_view body, std::string_view playlistUrl,
                                                const HlsLimits& limits) {
  using Result = ParseResult<MasterPlaylist>;
  std::vector<PlaylistLine> lines;
  switch (splitPlaylistLines(body, limits.maxBytes, limits.maxLines, lines)) {
    case LineSplitError::TooLarge:
      return failed<Result>(ParseError::TooLarge, 0);
    case LineSplitError::TooManyLines:
      return failed<Result>(ParseError::TooManyLines, 0);
    case LineSplitError::None:
      break;
  }
  const std::size_t header = headerLineIndex(lines);
  if (header == lines.size()) {
    return failed<Result>(ParseError::MissingHeader, lines.empty() ? 0 : lines.front().number);
  }

  Result result;
  MasterPlaylist& master = result.playlist;
  std::optional<Variant> pending;
  std::size_t pendingLine = 0;
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    const PlaylistLine& line = lines[i];
    if (master.variants.size() + master.audioRenditions.size() > limits.maxEntries) {
      return failed<Result>(ParseError::TooManyEntries, line.number);
    }
    ParseError error = ParseError::None;
    if (const auto streamInf = tagValue(line.text, "#EXT-X-STREAM-INF")) {
      if (pending) {
        return failed<Result>(ParseError::MissingUri, pendingLine);
      }
      error = readStreamInf(*streamInf, pending);
      pendingLine = line.number;
    } else if (const auto media = tagValue(line.text, "#EXT-X-MEDIA")) {
      error = readMedia(*media, playlistUrl, master);
    } else if (tagValue(line.text, "#EXTINF") || tagValue(line.text, "#EXT-X-TARGETDURATION")) {
      return failed<Result>(ParseError::NotMasterPlaylist, line.number);
    } else if (!line.text.starts_with('#') && pending) {
      const auto resolved = resolveUrl(playlistUrl, line.text);
      if (!resolved || !isFetchableUrl(*resolved)) {
        return failed<Result>(ParseError::InvalidUri, line.number);
      }
      pending->uri = *resolved;
      master.variants.push_back(std::move(*pending));
      pending.reset();
    }
    // Other tags, comments and URI lines without a #EXT-X-STREAM-INF carry nothing we use.
    if (error != ParseError::None) {
      return failed<Result>(error, line.number);
    }
  }
  if (pending) {
    return failed<Result>(ParseError::MissingUri, pendingLine);
  }
  if (master.variants.size() + master.audioRenditions.size() > limits.maxEntries) {
    return failed<Result>(ParseError::TooManyEntries, 0);
  }
  if (master.variants.empty()) {
    return failed<Result>(ParseError::NoVariants, 0);
  }
  return result;
}

bool isAudioOnly(const Variant& variant) {
  if (variant.codecs.empty() || variant.hasResolution) {
    return false;
  }
  std::string_view codecs = variant.codecs;
  while (true) {
    const std::size_t comma = codecs.find(',');
    std::string_view codec = codecs.substr(0, comma);
    while (!codec.empty() && codec.front() == ' ') {
      codec.remove_prefix(1);
    }
    if (!isAudioCodec(codec)) {
      return false;
    }
    if (comma == std::string_view::npos) {
      return true;
    }
    codecs.remove_prefix(comma + 1);
  }
}

std::optional<AudioChoice> chooseAudioVariant(const MasterPlaylist& master) {
  if (master.variants.empty()) {
    return std::nullopt;
  }
  const auto& variants = master.variants;
  AudioChoice choice;
  const auto audioOnly = std::find_if(variants.begin(), variants.end(), isAudioOnly);
  if (audioOnly != variants.end()) {
    choice.variantIndex = static_cast<std::size_t>(audioOnly - variants.begin());
    choice.reason = AudioChoice::Reason::AudioOnlyVariant;
  } else {
    // The lowest bandwidth that still sounds like music; when every variant is at or below
    // 64 kbit/s, the best of those is the most listenable, so take the highest.
    std::optional<std::size_t> lowestAbove;
    std::size_t highest = 0;
    for (std::size_t i = 0; i < variants.size(); ++i) {
      const std::uint64_t bandwidth = variants[i].bandwidth;
      if (bandwidth > kAudioBandwidthFloor && (!lowestAbove || bandwidth < variants[*lowestAbove].bandwidth)) {
        lowestAbove = i;
      }
      if (bandwidth > variants[highest].bandwidth) {
        highest = i;
      }
    }
    choice.variantIndex = lowestAbove.value_or(highest);
    choice.reason = lowestAbove ? AudioChoice::Reason::LowestAbove64k : AudioChoice::Reason::HighestUpTo64k;
  }

  const Variant& variant = variants[choice.variantIndex];
  choice.uri = variant.uri;
  if (!variant.audioGroup.empty() && choice.reason != AudioChoice::Reason::AudioOnlyVariant) {
    const AudioRendition* rendition = nullptr;
    for (const AudioRendition& candidate : master.audioRenditions) {
      if (candidate.groupId != variant.audioGroup || candidate.uri.empty()) {
        continue;
      }
      if (rendition == nullptr || (candidate.isDefault && !rendition->isDefault)) {
        rendition = &candidate;
      }
    }
    if (rendition != nullptr) {
      choice.uri = rendition->uri;
      choice.fromRendition = true;
    }
  }
  return choice;
}

}  // namespace qv::engine::hls
