#include "icy_demuxer.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace qv::engine {

IcyDemuxer::IcyDemuxer(std::size_t metaint, AudioSink audio, MetaSink meta)
    : m_metaint(metaint), m_audio(std::move(audio)), m_meta(std::move(meta)), m_audioLeft(metaint) {}

bool IcyDemuxer::feed(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    if (m_audioLeft > 0) {
      const std::size_t chunk = std::min(size, m_audioLeft);
      if (!m_audio(data, chunk)) {
        return false;
      }
      m_audioLeft -= chunk;
      data += chunk;
      size -= chunk;
      continue;
    }
    if (!m_inMeta) {
      m_metaLeft = std::size_t{*data} * 16;
      ++data;
      --size;
      m_inMeta = true;
      m_block.clear();
    }
    const std::size_t chunk = std::min(size, m_metaLeft);
    m_block.append(reinterpret_cast<const char*>(data), chunk);
    m_metaLeft -= chunk;
    data += chunk;
    size -= chunk;
    if (m_metaLeft == 0) {
      m_inMeta = false;
      m_audioLeft = m_metaint;
      m_block.erase(std::find(m_block.begin(), m_block.end(), '\0'), m_block.end());
      if (!m_block.empty() && m_block != m_last) {
        m_last = m_block;
        m_meta(m_block);
      }
    }
  }
  return true;
}

std::optional<std::size_t> parseIcyMetaint(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
    value.remove_prefix(1);
  }
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
    value.remove_suffix(1);
  }
  if (value.empty() || value.size() > 9) {
    return std::nullopt;
  }
  std::size_t parsed = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
  if (error != std::errc() || end != value.data() + value.size() || parsed > (std::size_t{1} << 20)) {
    return std::nullopt;
  }
  return parsed;
}

}  // namespace qv::engine
