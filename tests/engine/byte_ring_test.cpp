#include "byte_ring.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <vector>

namespace {

using qv::engine::ByteRing;

std::vector<std::uint8_t> readAll(ByteRing& ring) {
  std::vector<std::uint8_t> out;
  std::uint8_t chunk[7];
  for (int reads = 0; reads < 1000; ++reads) {
    std::size_t got = 0;
    if (ring.read(chunk, sizeof chunk, got, std::chrono::milliseconds(0)) != ByteRing::ReadStatus::Data) {
      break;
    }
    out.insert(out.end(), chunk, chunk + got);
  }
  return out;
}

std::vector<std::uint8_t> counting(std::uint8_t from, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), from);
  return bytes;
}

// Bytes looked at and given back come first again, whether or not what waits wraps around the
// ring's end and whether or not they still fit in it.
TEST(ByteRing, UnreadBytesComeBackFirstAndInOrder) {
  struct Case {
    std::size_t readFirst;  // moves the start, so that the next write wraps
    std::size_t waiting;    // written after that and left in the ring
    std::size_t givenBack;
  };
  const Case cases[] = {{0, 4, 3}, {10, 8, 4}, {10, 12, 5}, {14, 16, 8}, {0, 16, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.readFirst << "/" << c.waiting << "/" << c.givenBack);
    ByteRing ring(16);
    const auto first = counting(100, c.readFirst);
    ASSERT_TRUE(ring.write(first.data(), first.size()));
    EXPECT_EQ(readAll(ring), first);
    const auto waiting = counting(0, c.waiting);
    ASSERT_TRUE(ring.write(waiting.data(), waiting.size()));
    const auto back = counting(200, c.givenBack);
    ring.unread(back.data(), back.size());
    ring.finish();
    auto expected = back;
    expected.insert(expected.end(), waiting.begin(), waiting.end());
    EXPECT_EQ(readAll(ring), expected);
  }
}

TEST(ByteRing, ResetMakesAClosedRingUsableAgain) {
  ByteRing ring(8);
  const auto bytes = counting(1, 5);
  ASSERT_TRUE(ring.write(bytes.data(), bytes.size()));
  ring.close();
  EXPECT_FALSE(ring.write(bytes.data(), bytes.size()));
  ring.reset();
  ASSERT_TRUE(ring.write(bytes.data(), bytes.size()));
  ring.finish();
  EXPECT_EQ(readAll(ring), bytes) << "nothing from before the reset is left";
}

}  // namespace

namespace {

// A boundary splits the bytes into sections: no read spans it, and the reader is told once when it
// gets there, also when the ring wrapped around in between.
TEST(ByteRing, ReadsStopAtABoundaryAndTellItOnce) {
  ByteRing ring(16);
  const auto first = counting(0, 10);
  const auto second = counting(100, 12);
  ring.markBoundary();  // at the very start: nothing to separate
  ASSERT_TRUE(ring.write(first.data(), first.size()));
  ring.markBoundary();
  std::uint8_t chunk[16];
  std::size_t got = 0;
  ASSERT_EQ(ring.read(chunk, 6, got, std::chrono::milliseconds(0)), ByteRing::ReadStatus::Data);
  ASSERT_TRUE(ring.write(second.data(), 10));  // wraps around the ring's end
  ring.finish();

  std::vector<std::uint8_t> before(chunk, chunk + got);
  ASSERT_EQ(ring.read(chunk, sizeof chunk, got, std::chrono::milliseconds(0)), ByteRing::ReadStatus::Data);
  before.insert(before.end(), chunk, chunk + got);
  EXPECT_EQ(before, first);
  EXPECT_EQ(ring.read(chunk, sizeof chunk, got, std::chrono::milliseconds(0)), ByteRing::ReadStatus::Boundary);
  EXPECT_EQ(readAll(ring), std::vector<std::uint8_t>(second.begin(), second.begin() + 10));
  EXPECT_EQ(ring.read(chunk, sizeof chunk, got, std::chrono::milliseconds(0)), ByteRing::ReadStatus::Finished);
}

}  // namespace
