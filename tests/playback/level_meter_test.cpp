#include "level_meter.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace pb = qv::playback;

namespace {

TEST(LevelMeter, BracketsChangeAtTheTableBoundaries) {
  const std::pair<int, int> cases[] = {{0, 0},     {499, 0},   {500, 1},   {9999, 1},
                                       {10000, 2}, {24999, 2}, {25000, 3}, {32768, 3}};
  for (const auto& [level, brackets] : cases) {
    EXPECT_EQ(pb::bracketCount(level), brackets) << level;
  }
}

TEST(LevelMeter, LeftIsTheLowHalfOfTheLevelWordAndRightTheHigh) {
  const auto word = [](std::uint32_t left, std::uint32_t right) { return left | (right << 16); };
  EXPECT_EQ(pb::levelBrackets(word(25000, 499)), (pb::LevelBrackets{QStringLiteral("((("), QString()}));
  EXPECT_EQ(pb::levelBrackets(word(500, 10000)), (pb::LevelBrackets{QStringLiteral("("), QStringLiteral("))")}));
  EXPECT_EQ(pb::levelBrackets(word(32768, 32768)), (pb::LevelBrackets{QStringLiteral("((("), QStringLiteral(")))")}));
  EXPECT_EQ(pb::levelBrackets(std::nullopt), pb::LevelBrackets{}) << "no stream or not playing: both empty";
}

// The window is woken only when its brackets would change, once until it takes the level, and
// always with the newest level.
TEST(LevelSignal, WakesTheWindowOnlyForNewBracketsAndOnceUntilItLooks) {
  const auto word = [](std::uint32_t left, std::uint32_t right) { return left | (right << 16); };
  int wakes = 0;
  pb::LevelSignal signal([&] { ++wakes; });
  EXPECT_EQ(signal.take(), std::nullopt) << "nothing told yet";

  signal.tell(word(30000, 30000));
  EXPECT_EQ(wakes, 1);
  signal.tell(word(26000, 31000));
  EXPECT_EQ(wakes, 1) << "the same brackets";
  EXPECT_EQ(signal.take(), word(30000, 30000)) << "the level the brackets come from";
  signal.tell(word(27000, 25000));
  EXPECT_EQ(wakes, 1) << "the same brackets after the window looked";

  signal.tell(word(12000, 30000));
  signal.tell(word(600, 30000));
  EXPECT_EQ(wakes, 2) << "a wake is outstanding until the window looks";
  EXPECT_EQ(signal.take(), word(600, 30000)) << "the newest";
  signal.tell(0xFFFFFFFFu);
  EXPECT_EQ(wakes, 3);
  EXPECT_EQ(signal.take(), std::nullopt) << "the stream stopped";

  signal.tell(word(600, 30000));
  EXPECT_EQ(signal.take(), word(600, 30000));
  signal.forget();
  signal.tell(word(700, 30000));
  EXPECT_EQ(wakes, 5) << "the labels were changed another way: the same brackets show again";
  signal.take();

  signal.detach();
  signal.tell(word(0, 0));
  EXPECT_EQ(wakes, 5) << "the window is gone";
}

}  // namespace
