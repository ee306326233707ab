#pragma once

#include <QString>

#include <cstdint>
#include <optional>

//! The volume sources. Each only computes the new position of the hidden volume slider (0..100);
//! the slider's change handler alone applies it to the stream and sizes the bright bar.
namespace qv::playback {

inline constexpr int kVolumeMin = 0;
inline constexpr int kVolumeMax = 100;

//! The slider's clamp.
int clampVolume(int position);

//! The stream's volume for a slider position: position × 0.01.
float streamVolume(int position);

enum class WheelTurn : std::uint8_t { Up, Down };

//! The position after one wheel notch over the main window: up raises by `step`, down lowers,
//! the other way round with `invert`. Nothing when the pointer is over a plain list box (the
//! station list or the recent list), which scrolls instead.
std::optional<int> volumeAfterWheel(int position, WheelTurn turn, int step, bool invert, bool overPlainListBox);

enum class VolumeKey : std::uint8_t { Raise, Lower };  // Up/Right, Down/Left

//! The position after a volume key with the keyboard step.
int volumeAfterKey(int position, VolumeKey key, int step);

//! The volume bar under a press or drag at `x` pixels from its left edge (one pixel per percent).
struct VolumeBarPointer {
  int position = 0;     // the slider's new position, clamped
  int brightWidth = 0;  // the bright bar's width: follows the pointer past the ends while dragging
  QString hint;         // the bright bar's hint while dragging; empty on a press

  friend bool operator==(const VolumeBarPointer&, const VolumeBarPointer&) = default;
};

//! A left-button press: the position becomes x; the bright bar shows that position.
VolumeBarPointer volumeBarPress(int x);

//! A move while dragging: the position becomes x; the bright bar's width and its hint follow the
//! pointer unclamped (130 past the right end), the width never below 0.
VolumeBarPointer volumeBarDrag(int x);

//! The mute button (click or key M). Acts only while the stream is playing.
struct MuteToggle {
  float streamVolume = 0.0F;
  QString image;  // "PngSD_1" when muted, "PngSound_1" when sound is back

  friend bool operator==(const MuteToggle&, const MuteToggle&) = default;
};

//! Muting sets the stream's volume to 0; unmuting restores the slider's position. Nothing when the
//! stream is not playing (stalled, stopped, connecting).
std::optional<MuteToggle> muteToggle(bool streamPlaying, float currentStreamVolume, int position);

enum class Hover : std::uint8_t { Enter, Leave };

//! The mute button's image on hover: sound on or off after the stream's volume, highlighted on
//! enter. Nothing (image unchanged) when no stream is active.
std::optional<QString> muteHoverImage(bool streamActive, float currentStreamVolume, Hover hover);

}  // namespace qv::playback
