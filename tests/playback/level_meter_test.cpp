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

}  // namespace
