#include "volume_rules.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace pb = qv::playback;
using pb::WheelTurn;

namespace {

TEST(VolumeRules, WheelMovesByTheStepInTheChosenDirection) {
  struct WheelCase {
    int position;
    WheelTurn turn;
    int step;
    bool invert;
    int expected;
  };
  const WheelCase cases[] = {
      {50, WheelTurn::Up, 10, false, 60}, {50, WheelTurn::Down, 10, false, 40}, {50, WheelTurn::Up, 10, true, 40},
      {50, WheelTurn::Down, 7, true, 57}, {95, WheelTurn::Up, 10, false, 100},  {3, WheelTurn::Down, 10, false, 0},
      {0, WheelTurn::Up, 50, true, 0},    {100, WheelTurn::Down, 1, true, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pb::volumeAfterWheel(c.position, c.turn, c.step, c.invert, false), c.expected)
        << c.position << (c.turn == WheelTurn::Up ? " up" : " down") << " step " << c.step << " invert " << c.invert;
  }
  EXPECT_EQ(pb::volumeAfterWheel(50, WheelTurn::Up, 10, false, true), std::nullopt) << "the list box scrolls";
}

TEST(VolumeRules, KeysMoveByTheKeyboardStepWithinTheRange) {
  EXPECT_EQ(pb::volumeAfterKey(50, pb::VolumeKey::Raise, 5), 55);
  EXPECT_EQ(pb::volumeAfterKey(50, pb::VolumeKey::Lower, 5), 45);
  EXPECT_EQ(pb::volumeAfterKey(98, pb::VolumeKey::Raise, 5), 100);
  EXPECT_EQ(pb::volumeAfterKey(2, pb::VolumeKey::Lower, 5), 0);
}

TEST(VolumeRules, TheBarClampsThePositionButTheDraggedBrightBarFollowsThePointer) {
  EXPECT_EQ(pb::volumeBarPress(40), (pb::VolumeBarPointer{40, 40, {}}));
  EXPECT_EQ(pb::volumeBarPress(130), (pb::VolumeBarPointer{100, 100, {}}));
  EXPECT_EQ(pb::volumeBarDrag(40), (pb::VolumeBarPointer{40, 40, QStringLiteral("40")}));
  EXPECT_EQ(pb::volumeBarDrag(130), (pb::VolumeBarPointer{100, 130, QStringLiteral("130")}));
  EXPECT_EQ(pb::volumeBarDrag(-20), (pb::VolumeBarPointer{0, 0, QStringLiteral("-20")}));
  EXPECT_FLOAT_EQ(pb::streamVolume(100), 1.0F);
  EXPECT_FLOAT_EQ(pb::streamVolume(37), 0.37F);
  EXPECT_FLOAT_EQ(pb::streamVolume(0), 0.0F);
}

TEST(VolumeRules, MuteTogglesOnlyAPlayingStream) {
  EXPECT_EQ(pb::muteToggle(true, 0.7F, 70), (pb::MuteToggle{0.0F, QStringLiteral("PngSD_1")}));
  EXPECT_EQ(pb::muteToggle(true, 0.0F, 70), (pb::MuteToggle{pb::streamVolume(70), QStringLiteral("PngSound_1")}));
  EXPECT_EQ(pb::muteToggle(false, 0.7F, 70), std::nullopt) << "stalled, stopped or connecting";

  using pb::Hover;
  EXPECT_EQ(pb::muteHoverImage(true, 0.5F, Hover::Enter), QStringLiteral("PngSound_1"));
  EXPECT_EQ(pb::muteHoverImage(true, 0.5F, Hover::Leave), QStringLiteral("PngSound_2"));
  EXPECT_EQ(pb::muteHoverImage(true, 0.0F, Hover::Enter), QStringLiteral("PngSD_1"));
  EXPECT_EQ(pb::muteHoverImage(true, 0.0F, Hover::Leave), QStringLiteral("PngSD_2"));
  EXPECT_EQ(pb::muteHoverImage(false, 0.0F, Hover::Enter), std::nullopt) << "no stream: the image stays";
}

}  // namespace
