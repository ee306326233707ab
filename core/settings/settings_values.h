#pragma once

#include <QString>

#include <cstdint>
#include <string_view>

//! The 25 values of the settings key, two of the listening features, four of the sound and two live ones: each name
//! with its type (the template argument) and, in `fallback`, what a window uses when the value cannot be read. Values
//! are read and written only through these constants.
namespace qv::settings {

template <typename T>
struct Setting {
  std::string_view name;
};

// clang-format off
// Output sample rate in Hz, 0 for the device's own; read before audio set-up and by the settings
// window.
inline constexpr Setting<std::int32_t> Discreditation{"Discreditation"};
// Main window.
inline constexpr Setting<std::int32_t> Volume{"Volume"};
inline constexpr Setting<std::int32_t> WindowLeft{"WindowLeft"};
inline constexpr Setting<std::int32_t> WindowTop{"WindowTop"};
inline constexpr Setting<std::int32_t> WindowWidth{"WindowWidth"};
inline constexpr Setting<std::int32_t> WindowHeight{"WindowHeight"};
inline constexpr Setting<QString>      Language{"Language"};
inline constexpr Setting<bool>         AlwaysOnTop{"AlwaysOnTop"};
inline constexpr Setting<bool>         EQPanel{"EQPanel"};
inline constexpr Setting<std::int32_t> Preview{"Preview"};
inline constexpr Setting<std::int32_t> LeftPanel{"LeftPanel"};
inline constexpr Setting<std::int32_t> TagsPanel{"TagsPanel"};
inline constexpr Setting<bool>         HideToTray{"HideToTray"};
inline constexpr Setting<bool>         GetMediaKey{"GetMediaKey"};
inline constexpr Setting<std::int32_t> LastStation{"LastStation"};
inline constexpr Setting<bool>         UnsavedPL{"UnsavedPL"};
// Popup player.
inline constexpr Setting<std::int32_t> PopupFormWidth{"PopupFormWidth"};
// Settings window.
inline constexpr Setting<std::int32_t> SFTop{"SFTop"};
inline constexpr Setting<std::int32_t> SFLeft{"SFLeft"};
inline constexpr Setting<std::int32_t> MouseStep{"MouseStep"};
inline constexpr Setting<std::int32_t> KeyboardStep{"KeyboardStep"};
inline constexpr Setting<bool>         InvertMouse{"InvertMouse"};
inline constexpr Setting<bool>         LoopStations{"LoopStations"};
inline constexpr Setting<bool>         ShowNotify{"ShowNotify"};
inline constexpr Setting<bool>         PlayOnStart{"PlayOnStart"};
// Listening: reopen a station that drops, and how many days the history keeps a title. Each is
// read on its own after the settings window's groups and written after its other values.
inline constexpr Setting<bool>         Reconnect{"Reconnect"};
inline constexpr Setting<std::int32_t> HistoryKeepDays{"HistoryKeepDays"};
// Sound: every station brought to one loudness (on or off, and the target in LUFS). Read and
// written like the listening values.
inline constexpr Setting<bool>         Levelling{"Levelling"};
inline constexpr Setting<std::int32_t> LevellingTarget{"LevellingTarget"};
// A station replaced by another fades out instead of stopping with a cut.
inline constexpr Setting<bool>         Crossfade{"Crossfade"};
// The output device by the name the system gives it; "" for the system's default.
inline constexpr Setting<QString>      OutputDevice{"OutputDevice"};
// Held while the program runs, never stored: the proxy "(user:pass@)server:port" ("" direct) and
// the engine's buffer length in units of 100 ms.
inline constexpr Setting<QString>      ProxyServer{"ProxyServer"};
inline constexpr Setting<std::int32_t> BufferLength{"BufferLength"};
// clang-format on

//! What a failed read gives. Window bounds fall back to the screen centre (computed); a failed
//! `Language` read gives "English" in the main window and the first listed language in the
//! settings window; an absent one gives the empty name.
namespace fallback {
// A profile without a stored rate follows the device (0); a stored rate keeps its meaning.
inline constexpr std::int32_t Discreditation = 0;
inline constexpr std::int32_t Volume = 100;
inline constexpr std::int32_t WindowWidth = 418;
inline constexpr std::int32_t WindowHeight = 314;
inline constexpr char16_t MainLanguage[] = u"English";
inline constexpr bool AlwaysOnTop = false;
inline constexpr bool EQPanel = false;
inline constexpr std::int32_t Preview = 128;
inline constexpr std::int32_t LeftPanel = 106;
inline constexpr std::int32_t TagsPanel = 38;
inline constexpr bool HideToTray = false;
inline constexpr bool GetMediaKey = true;
inline constexpr std::int32_t LastStation = 0;
inline constexpr bool UnsavedPL = false;
inline constexpr std::int32_t PopupFormWidth = 310;
inline constexpr std::int32_t MouseStep = 10;
inline constexpr std::int32_t KeyboardStep = 5;
inline constexpr bool InvertMouse = false;
inline constexpr bool LoopStations = false;
inline constexpr bool ShowNotify = false;
inline constexpr bool PlayOnStart = false;
inline constexpr bool Reconnect = true;
inline constexpr std::int32_t HistoryKeepDays = 365;
inline constexpr bool Levelling = true;
inline constexpr std::int32_t LevellingTarget = -16;
// Off until a Stop that comes while the next station opens also ends the fade's new station.
inline constexpr bool Crossfade = false;
inline constexpr char16_t OutputDevice[] = u"";
inline constexpr std::int32_t BufferLength = 5;
}  // namespace fallback

}  // namespace qv::settings
