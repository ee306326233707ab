// The images the buttons swap to when the pointer enters and leaves, by the state at that moment.
#include "button_images.h"

#include <gtest/gtest.h>

namespace {

using qv::ui::ButtonState;
using qv::ui::Pointer;
using qv::ui::SkinButton;

ButtonState playing(int current, int last, bool loop = false) {
  ButtonState state;
  state.streamActive = true;
  state.currentStation = current;
  state.lastStationIndex = last;
  state.loopStations = loop;
  return state;
}

TEST(ButtonImages, HoverTable) {
  ButtonState onTop;
  onTop.onTop = true;
  ButtonState muted = playing(1, 3);
  muted.streamMuted = true;
  const ButtonState stopped;

  struct Case {
    SkinButton button;
    ButtonState state;
    const char* enter;  // null: the image stays
    const char* leave;
  };
  const Case cases[] = {
      {SkinButton::Close, stopped, "PngClose_1", "PngClose_2"},
      {SkinButton::Minimize, stopped, "PngHide_1", "PngHide_2"},
      {SkinButton::Small, stopped, "PngMin_1", "PngMin_2"},
      {SkinButton::Ontop, stopped, "PngTop_1", "PngTop_2"},
      {SkinButton::Ontop, onTop, "PngUntop_1", "PngUntop_2"},
      {SkinButton::Menu, stopped, "PngMenu_1", "PngMenu_2"},
      {SkinButton::Settings, stopped, "PngSettings_1", "PngSettings_2"},
      {SkinButton::EQ, stopped, "PngEQ_1", "PngEQ_2"},
      {SkinButton::PlayStop, stopped, "PngPlay_1", "PngPlay_2"},
      {SkinButton::PlayStop, playing(0, 3), "PngStop_1", "PngStop_2"},
      // At the list ends with looping off the dimmed image stays.
      {SkinButton::Previous, playing(0, 3), nullptr, nullptr},
      {SkinButton::Previous, playing(1, 3), "PngPrevious_1", "PngPrevious_2"},
      {SkinButton::Previous, playing(0, 3, true), "PngPrevious_1", "PngPrevious_2"},
      {SkinButton::Next, playing(3, 3), nullptr, nullptr},
      {SkinButton::Next, playing(2, 3), "PngNext_1", "PngNext_2"},
      {SkinButton::Next, playing(3, 3, true), "PngNext_1", "PngNext_2"},
      {SkinButton::Next, stopped, nullptr, nullptr},  // no station at all: -1 is not below -1
      // The mute button changes only while a stream is active.
      {SkinButton::Mute, stopped, nullptr, nullptr},
      {SkinButton::Mute, playing(1, 3), "PngSound_1", "PngSound_2"},
      {SkinButton::Mute, muted, "PngSD_1", "PngSD_2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.enter ? c.enter : "stays");
    const auto enter = qv::ui::hoverImage(c.button, Pointer::Enter, c.state);
    const auto leave = qv::ui::hoverImage(c.button, Pointer::Leave, c.state);
    EXPECT_EQ(enter.has_value(), c.enter != nullptr);
    EXPECT_EQ(leave.has_value(), c.leave != nullptr);
    if (c.enter) {
      EXPECT_EQ(*enter, QLatin1String(c.enter));
      EXPECT_EQ(*leave, QLatin1String(c.leave));
    }
  }
}

}  // namespace
