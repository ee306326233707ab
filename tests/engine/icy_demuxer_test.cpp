#include "icy_demuxer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qv::engine::IcyDemuxer;
using qv::engine::parseIcyMetaint;

std::string metaBlock(const std::string& text) {
  std::string padded = text;
  padded.resize((text.size() + 15) / 16 * 16, '\0');
  return std::string(1, static_cast<char>(padded.size() / 16)) + padded;
}

struct Split {
  std::string audio;
  std::vector<std::string> metas;
};

Split demux(std::size_t metaint, const std::string& body, std::size_t piece) {
  Split out;
  IcyDemuxer demuxer(
      metaint,
      [&](const std::uint8_t* data, std::size_t size) {
        out.audio.append(reinterpret_cast<const char*>(data), size);
        return true;
      },
      [&](std::string text) { out.metas.push_back(std::move(text)); });
  for (std::size_t at = 0; at < body.size(); at += piece) {
    const std::string part = body.substr(at, piece);
    EXPECT_TRUE(demuxer.feed(reinterpret_cast<const std::uint8_t*>(part.data()), part.size()));
  }
  return out;
}

// Whatever pieces the network delivers, audio and metadata come out the same.
TEST(IcyDemuxer, SplitsAudioAndMetadataInAnyPieces) {
  const std::string first = "StreamTitle='Artist - Song';StreamUrl='';";
  const std::string second = "StreamTitle='Other';";
  const std::string body = "abcdefgh" + metaBlock(first) + "ijklmnop" + std::string(1, '\0') + "qrstuvwx" +
                           metaBlock(first) + "yz012345" + metaBlock(second) + "67";
  for (std::size_t piece : {1u, 3u, 8u, 9u, 17u, 1000u}) {
    SCOPED_TRACE(piece);
    const Split split = demux(8, body, piece);
    EXPECT_EQ(split.audio, "abcdefghijklmnopqrstuvwxyz01234567");
    // The repeated block and the empty one are no change.
    EXPECT_EQ(split.metas, (std::vector<std::string>{first, second}));
  }
}

TEST(IcyDemuxer, MetadataCutShortByTheEndOfTheDataIsDropped) {
  // The length byte promises 255 × 16 bytes; a few arrive before the connection ends.
  const std::string body = "abcd" + std::string(1, '\xff') + "StreamTitle='Cut short";
  const Split split = demux(4, body, 5);
  EXPECT_EQ(split.audio, "abcd");
  EXPECT_TRUE(split.metas.empty());
}

TEST(IcyDemuxer, StopsWhenTheAudioSinkRefuses) {
  IcyDemuxer demuxer(
      4, [](const std::uint8_t*, std::size_t) { return false; }, [](std::string) {});
  const std::string body = "abcdefgh";
  EXPECT_FALSE(demuxer.feed(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
}

TEST(IcyMetaint, OnlyWholeNumbersUpToOneMebibyteAreAccepted) {
  struct Case {
    const char* value;
    std::optional<std::size_t> expected;
  };
  const Case cases[] = {
      {"16000", 16000},
      {" 8192 ", 8192},
      {"0", 0},
      {"1048576", 1048576},
      {"1048577", std::nullopt},
      {"abc", std::nullopt},
      {"-5", std::nullopt},
      {"99999999999", std::nullopt},
      {"", std::nullopt},
      {"16000x", std::nullopt},
      {"+16", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseIcyMetaint(c.value), c.expected) << '"' << c.value << '"';
  }
}

}  // namespace
