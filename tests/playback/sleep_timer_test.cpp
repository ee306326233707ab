#include "sleep_timer.h"

#include <gtest/gtest.h>

#include <vector>

namespace pb = qv::playback;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

// The controller's side as the timer sees it: a volume control and a stop button.
struct Player : pb::SleepTarget {
  int volume() const override { return level; }
  void setVolume(int percent) override {
    level = percent;
    history.push_back(percent);
  }
  void stop() override {
    stopped = true;
    volumeAtStop = level;
  }
  int level = 80;
  bool stopped = false;
  int volumeAtStop = -1;
  std::vector<int> history;
};

const pb::SleepTimer::Clock::time_point kStart{};

TEST(SleepTimer, FadesOverTheLastStretchStopsAndPutsTheVolumeBack) {
  Player player;
  // Ten minutes with a 30 s fade, scaled down a thousandfold: 600 ms, fade 30 ms.
  pb::SleepTimer timer(player, milliseconds(30));
  timer.start(milliseconds(600), kStart);
  for (int ms = 0; ms < 570; ms += 10) {
    timer.tick(kStart + milliseconds(ms));
  }
  EXPECT_TRUE(player.history.empty()) << "no change before the fade";
  EXPECT_EQ(timer.remaining(kStart + milliseconds(570)), milliseconds(30));

  timer.tick(kStart + milliseconds(575));
  timer.tick(kStart + milliseconds(585));
  timer.tick(kStart + milliseconds(595));
  EXPECT_EQ(player.history, (std::vector<int>{67, 40, 13}));  // 80 × 25/30, 15/30, 5/30
  EXPECT_TRUE(timer.fading());
  EXPECT_FALSE(player.stopped);

  timer.tick(kStart + milliseconds(600));
  EXPECT_TRUE(player.stopped);
  EXPECT_EQ(player.volumeAtStop, 13) << "stopped while faded, not at full volume";
  EXPECT_EQ(player.level, 80) << "the volume control is back where it was";
  EXPECT_FALSE(timer.active());
  EXPECT_FALSE(timer.remaining(kStart + milliseconds(600)));
}

TEST(SleepTimer, ChoosingAgainReplacesAndOffCancelsEvenDuringTheFade) {
  Player player;
  pb::SleepTimer timer(player, seconds(30));
  timer.start(seconds(60), kStart);
  timer.tick(kStart + seconds(45));  // fading: half volume
  EXPECT_EQ(player.level, 40);

  timer.start(seconds(15 * 60), kStart + seconds(45));  // a new choice
  EXPECT_EQ(player.level, 80) << "the fade is undone";
  EXPECT_EQ(timer.remaining(kStart + seconds(45)), seconds(15 * 60));
  timer.tick(kStart + seconds(61));
  EXPECT_FALSE(player.stopped) << "the first timer no longer counts";

  timer.tick(kStart + seconds(45 + 15 * 60 - 10));
  EXPECT_LT(player.level, 80);
  timer.cancel();
  EXPECT_EQ(player.level, 80);
  timer.tick(kStart + seconds(45 + 15 * 60 + 1));
  EXPECT_FALSE(player.stopped);
  EXPECT_FALSE(timer.active());
}

TEST(SleepTimer, AVolumeTheUserSetsDuringTheFadeStands) {
  Player player;
  pb::SleepTimer timer(player, seconds(30));
  timer.start(seconds(40), kStart);
  timer.tick(kStart + seconds(25));
  EXPECT_EQ(player.level, 40);
  player.level = 60;  // the user turns it up
  timer.tick(kStart + seconds(30));
  timer.tick(kStart + seconds(35));
  EXPECT_EQ(player.level, 60);
  timer.tick(kStart + seconds(40));
  EXPECT_TRUE(player.stopped);
  EXPECT_EQ(player.level, 60);
}

}  // namespace
