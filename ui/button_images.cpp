#include "button_images.h"

namespace qv::ui {
namespace {

QString look(const char* base, Pointer pointer) {
  return QLatin1String(base) + (pointer == Pointer::Enter ? QLatin1String("_1") : QLatin1String("_2"));
}

}  // namespace

std::optional<QString> hoverImage(SkinButton button, Pointer pointer, const ButtonState& state) {
  switch (button) {
    case SkinButton::Close:
      return look("PngClose", pointer);
    case SkinButton::Minimize:
      return look("PngHide", pointer);
    case SkinButton::Small:
      return look("PngMin", pointer);
    case SkinButton::Ontop:
      return look(state.onTop ? "PngUntop" : "PngTop", pointer);
    case SkinButton::Menu:
      return look("PngMenu", pointer);
    case SkinButton::Settings:
      return look("PngSettings", pointer);
    case SkinButton::EQ:
      return look("PngEQ", pointer);
    case SkinButton::PlayStop:
      return look(state.streamActive ? "PngStop" : "PngPlay", pointer);
    case SkinButton::Previous:
      if (state.loopStations || state.currentStation > 0) {
        return look("PngPrevious", pointer);
      }
      return std::nullopt;
    case SkinButton::Next:
      if (state.loopStations || state.currentStation < state.lastStationIndex) {
        return look("PngNext", pointer);
      }
      return std::nullopt;
    case SkinButton::Mute:
      if (state.streamActive) {
        return look(state.streamMuted ? "PngSD" : "PngSound", pointer);
      }
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace qv::ui
