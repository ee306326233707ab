#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv::engine {

//! Splits an ICY body into audio and metadata: `metaint` audio bytes, one length byte (× 16), that
//! many metadata bytes, and again. Metadata is passed on without its NUL padding, and only when
//! it differs from the previous block (servers repeat it and send empty blocks in between).
class IcyDemuxer {
 public:
  using AudioSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;
  using MetaSink = std::function<void(std::string text)>;

  IcyDemuxer(std::size_t metaint, AudioSink audio, MetaSink meta);

  //! Feeds body bytes in any split; false when the audio sink refused (the stream is closing).
  bool feed(const std::uint8_t* data, std::size_t size);

 private:
  std::size_t m_metaint;
  AudioSink m_audio;
  MetaSink m_meta;
  std::size_t m_audioLeft;     // audio bytes before the next length byte
  std::size_t m_metaLeft = 0;  // metadata bytes of the current block still to come
  bool m_inMeta = false;
  std::string m_block;  // metadata gathered so far
  std::string m_last;   // last metadata passed on
};

//! Reads an `icy-metaint` header value: a whole decimal number from 1 to 1 MiB. 0 means the server
//! sends no metadata. Anything else (text, negative, absurd sizes) is nullopt.
std::optional<std::size_t> parseIcyMetaint(std::string_view value);

}  // namespace qv::engine
