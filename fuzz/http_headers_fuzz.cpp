// A server's header block on arbitrary bytes: split into lines as curl hands them over, then read
// as the stream reader reads it (status line, content type, metadata interval, redirect target).
#include "curl_transfer.h"
#include "header_block.h"
#include "icy_demuxer.h"
#include "net_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  while (!text.empty() && lines.size() < qv::engine::NetReader::kMaxHeaderLines) {
    const std::size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
      line.pop_back();
    }
    lines.push_back(std::move(line));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (lines.empty() || !qv::engine::isStatusLine(lines.front())) {
    return 0;
  }
  (void)qv::engine::mediaType(qv::engine::headerValue(lines, "content-type").value_or(std::string()));
  if (const auto metaint = qv::engine::headerValue(lines, "icy-metaint")) {
    (void)qv::engine::parseIcyMetaint(*metaint);
  }
  (void)qv::engine::headerValue(lines, "location");
  return 0;
}
