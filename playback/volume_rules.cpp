#include "volume_rules.h"

#include <algorithm>

namespace qv::playback {

int clampVolume(int position) {
  return std::clamp(position, kVolumeMin, kVolumeMax);
}

float streamVolume(int position) {
  return static_cast<float>(position * 0.01);
}

std::optional<int> volumeAfterWheel(int position, WheelTurn turn, int step, bool invert, bool overPlainListBox) {
  if (overPlainListBox) {
    return std::nullopt;
  }
  const bool raise = (turn == WheelTurn::Up) != invert;
  return clampVolume(raise ? position + step : position - step);
}

int volumeAfterKey(int position, VolumeKey key, int step) {
  return clampVolume(key == VolumeKey::Raise ? position + step : position - step);
}

VolumeBarPointer volumeBarPress(int x) {
  const int position = clampVolume(x);
  return {position, position, {}};
}

VolumeBarPointer volumeBarDrag(int x) {
  return {clampVolume(x), std::max(x, 0), QString::number(x)};
}

std::optional<MuteToggle> muteToggle(bool streamPlaying, float currentStreamVolume, int position) {
  if (!streamPlaying) {
    return std::nullopt;
  }
  if (currentStreamVolume != 0.0F) {
    return MuteToggle{0.0F, QStringLiteral("PngSD_1")};
  }
  return MuteToggle{streamVolume(position), QStringLiteral("PngSound_1")};
}

std::optional<QString> muteHoverImage(bool streamActive, float currentStreamVolume, Hover hover) {
  if (!streamActive) {
    return std::nullopt;
  }
  const bool soundOn = currentStreamVolume > 0.0F;
  if (hover == Hover::Enter) {
    return soundOn ? QStringLiteral("PngSound_1") : QStringLiteral("PngSD_1");
  }
  return soundOn ? QStringLiteral("PngSound_2") : QStringLiteral("PngSD_2");
}

}  // namespace qv::playback
