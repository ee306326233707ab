#include "tag_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

using qv::engine::Tag;
using qv::engine::TagStore;
using qv::engine::TagText;

// A title that says which change made it, long enough to live on the heap.
std::string titleNumber(int change) {
  return "StreamTitle='Song number " + std::to_string(change) + std::string(64, '.') + "';";
}

// A text read once stays what it was, however often the tag changes afterwards.
TEST(TagStore, ATextReadStaysWholeWhileTheTagChangesOn) {
  TagStore tags;
  EXPECT_EQ(tags.get(Tag::Meta), nullptr);
  tags.set(Tag::Meta, titleNumber(0));
  const TagText held = tags.get(Tag::Meta);
  for (int change = 1; change <= 5; ++change) {
    tags.set(Tag::Meta, titleNumber(change));
  }
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(*held, titleNumber(0));
  EXPECT_EQ(*tags.get(Tag::Meta), titleNumber(5));
  EXPECT_EQ(tags.get(Tag::Ogg), nullptr) << "another tag is untouched";
}

// A slow reader on another thread while the station changes its title as fast as it can: every
// text read is one whole title, also after many more changes (the sanitizer runs catch a read of
// freed text).
TEST(TagStore, AReaderOnAnotherThreadNeverSeesFreedOrTornText) {
  TagStore tags;
  tags.set(Tag::Meta, titleNumber(0));
  constexpr int kChanges = 20000;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    for (int change = 1; change <= kChanges && std::chrono::steady_clock::now() < deadline; ++change) {
      tags.set(Tag::Meta, titleNumber(change));
    }
    writing = false;
  });
  int reads = 0;
  int lastSeen = 0;
  bool whole = true;
  for (; (writing || reads == 0) && reads < kChanges && whole; ++reads) {
    const TagText text = tags.get(Tag::Meta);
    std::this_thread::yield();  // the writer changes the tag a few times meanwhile
    const std::string copy = *text;
    const std::size_t digits = copy.find_first_of("0123456789");
    const int number = digits == std::string::npos ? -1 : std::stoi(copy.substr(digits));
    whole = number >= lastSeen && copy == titleNumber(number);
    lastSeen = number;
  }
  writer.join();
  EXPECT_TRUE(whole) << "read " << reads << " after change " << lastSeen;
}

}  // namespace
