#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hls/parse_result.h"

namespace qv::engine::hls {

//! One #EXT-X-STREAM-INF entry. The URI is already resolved against the master playlist's URL.
struct Variant {
  std::string uri;
  std::uint64_t bandwidth = 0;  //!< bits per second
  std::string codecs;           //!< as written, e.g. "mp4a.40.2,avc1.4d401e"; empty when not given
  std::string audioGroup;       //!< the AUDIO attribute; empty when not given
  bool hasResolution = false;   //!< a RESOLUTION attribute says the variant carries video
};

//! One #EXT-X-MEDIA entry of TYPE=AUDIO.
struct AudioRendition {
  std::string groupId;
  std::string name;
  std::string uri;  //!< resolved; empty when the audio is muxed into the variants themselves
  bool isDefault = false;
};

struct MasterPlaylist {
  std::vector<Variant> variants;
  std::vector<AudioRendition> audioRenditions;
};

enum class PlaylistKind { NotHls, Master, Media };

//! Tells a master playlist (it has #EXT-X-STREAM-INF or #EXT-X-MEDIA) from a media one; NotHls
//! when the body does not start with #EXTM3U.
PlaylistKind classifyPlaylist(std::string_view body);

ParseResult<MasterPlaylist> parseMasterPlaylist(std::string_view body, std::string_view playlistUrl,
                                                const HlsLimits& limits = {});

//! True when CODECS names only audio codecs and no RESOLUTION is given. Without CODECS the
//! variant's content is unknown and it does not count as audio-only.
bool isAudioOnly(const Variant& variant);

struct AudioChoice {
  enum class Reason {
    AudioOnlyVariant,  //!< the first variant whose codecs are all audio
    LowestAbove64k,    //!< the lowest bandwidth above 64 kbit/s
    HighestUpTo64k,    //!< nothing above 64 kbit/s: the highest one there is
  };
  std::string uri;  //!< the media playlist to play
  std::size_t variantIndex = 0;
  Reason reason = Reason::AudioOnlyVariant;
  bool fromRendition = false;  //!< the URI is the variant's audio rendition, not the variant
};

//! Chooses the media playlist that carries the audio. When the chosen variant names an AUDIO
//! group whose rendition has its own URI, that rendition is played (the DEFAULT=YES one, else
//! the first), since the variant itself may then carry video only. Empty without variants.
std::optional<AudioChoice> chooseAudioVariant(const MasterPlaylist& master);

}  // namespace qv::engine::hls
