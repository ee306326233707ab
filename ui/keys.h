#pragma once

#include <Qt>

#include <cstdint>
#include <vector>

namespace qv::ui {

//! What a key pressed in the main window asks for.
enum class KeyAction : std::uint8_t {
  VolumeUp,
  VolumeDown,
  Next,
  Previous,
  Play,
  //! The play/stop toggle, asked for only while the stream plays, so it stops.
  Stop,
  Mute,
  ShowSettings,
  TogglePlaylist,
};

struct KeyDecision {
  //! In the order they run.
  std::vector<KeyAction> actions;
  //! The focused control does not get the key.
  bool consumed = false;
};

//! The main window's keys, seen before the focused control. While the focus is in a plain list box
//! (the station list or the recent list), Up, Down, Page Up, Page Down, Home and End move in the
//! list and do nothing else; M is then consumed too, so it mutes without moving the selection.
//! Otherwise the first matching row of the first table applies (the volume keys end there and are
//! consumed), then each row of the second table is tested on its own: media Stop while the stream
//! plays, M with any modifiers, Ctrl+O and Ctrl+P with exactly Ctrl held and no mouse button.
KeyDecision decideKey(int key, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool focusOnPlainList,
                      bool streamPlaying);

}  // namespace qv::ui
