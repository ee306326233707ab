#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace qv::ui {

//! The main window's image buttons whose image follows the pointer.
enum class SkinButton : std::uint8_t {
  Close,
  Minimize,
  Small,
  Ontop,
  Menu,
  Settings,
  EQ,
  PlayStop,
  Previous,
  Next,
  Mute
};

//! What the hover images depend on, read at the moment of the event.
struct ButtonState {
  bool onTop = false;
  //! The current stream is active (playing, stalled or paused); false means stopped.
  bool streamActive = false;
  //! The current stream's volume is 0.
  bool streamMuted = false;
  //! The settings window's loop option.
  bool loopStations = false;
  int currentStation = -1;
  //! Last index of the active station array; -1 when it is empty.
  int lastStationIndex = -1;
};

enum class Pointer : std::uint8_t { Leave, Enter };

//! The image a button shows when the pointer enters or leaves it; nothing when the image must stay
//! (a dimmed previous/next at the list end, the mute button while nothing plays). The leave image
//! is also the button's normal image.
std::optional<QString> hoverImage(SkinButton button, Pointer pointer, const ButtonState& state);

}  // namespace qv::ui
