#include "station_navigation.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace pb = qv::playback;

namespace {

TEST(StationNavigation, PreviousAndNextAtBothEnds) {
  struct NavigationCase {
    int current, count;
    bool looping;
    int previous, next;
  };
  const NavigationCase cases[] = {
      // not looping: the ends restart their station
      {0, 5, false, 0, 1},
      {4, 5, false, 3, 4},
      {2, 5, false, 1, 3},
      {-1, 5, false, -1, 0},
      // looping: the ends wrap
      {0, 5, true, 4, 1},
      {4, 5, true, 3, 0},
      {-1, 5, true, 4, 0},
      {0, 1, true, 0, 0},
      // a current station past the end of a shrunken (filtered) list
      {7, 5, false, 4, 4},
      {7, 5, true, 4, 0},
      // an empty list keeps the current station, which then plays nothing
      {-1, 0, true, -1, -1},
      {3, 0, false, 3, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pb::previousStation(c.current, c.count, c.looping), c.previous)
        << c.current << " of " << c.count << " looping " << c.looping;
    EXPECT_EQ(pb::nextStation(c.current, c.count, c.looping), c.next)
        << c.current << " of " << c.count << " looping " << c.looping;
  }
}

TEST(StationNavigation, TheActiveListAndWhatPlays) {
  EXPECT_EQ(pb::activeStationCount(true, 10, 3), 3);
  EXPECT_EQ(pb::activeStationCount(false, 10, 3), 10);
  EXPECT_TRUE(pb::isPlayableStation(0, 3));
  EXPECT_TRUE(pb::isPlayableStation(2, 3));
  EXPECT_FALSE(pb::isPlayableStation(3, 3));
  EXPECT_FALSE(pb::isPlayableStation(-1, 3));
  EXPECT_FALSE(pb::isPlayableStation(0, 0));
}

TEST(StationNavigation, ButtonsAreDimmedAtTheEndsUnlessLooping) {
  using Images = pb::NavigationImages;
  EXPECT_EQ(pb::navigationImages(0, 3, false), (Images{QStringLiteral("PngPrevious_3"), QStringLiteral("PngNext_1")}));
  EXPECT_EQ(pb::navigationImages(1, 3, false), (Images{QStringLiteral("PngPrevious_1"), QStringLiteral("PngNext_1")}));
  EXPECT_EQ(pb::navigationImages(2, 3, false), (Images{QStringLiteral("PngPrevious_1"), QStringLiteral("PngNext_3")}));
  EXPECT_EQ(pb::navigationImages(0, 1, false), (Images{QStringLiteral("PngPrevious_3"), QStringLiteral("PngNext_3")}));
  EXPECT_EQ(pb::navigationImages(0, 3, true), std::nullopt);
}

}  // namespace
