#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace qv::playback {

//! The taskbar icons: the built-in arrows of the outer buttons and the program's icon resources
//! "PlayIcon", "StopIcon" and "SoundIcon".
enum class TaskbarIcon : std::uint8_t { Previous, Play, Stop, Next, Sound };

//! The resource name of a resource icon ("PlayIcon", "StopIcon", "SoundIcon"); empty for the
//! built-in arrows.
QString taskbarIconResource(TaskbarIcon icon);

struct ThumbnailButton {
  TaskbarIcon icon = TaskbarIcon::Play;
  QString hint;

  friend bool operator==(const ThumbnailButton&, const ThumbnailButton&) = default;
};

//! What the taskbar shows: three thumbnail buttons (previous, play/stop, next; always enabled,
//! since each action always does something) and an overlay icon. The desktop realisation (MPRIS,
//! the Windows taskbar) applies a whole state at once.
struct TaskbarState {
  std::array<ThumbnailButton, 3> buttons;
  std::optional<TaskbarIcon> overlay;

  friend bool operator==(const TaskbarState&, const TaskbarState&) = default;
};

//! The hints of the buttons: the outer ones come from the language file, play and stop are
//! `l_play` and `l_stop`.
struct TaskbarHints {
  QString previous;
  QString play;
  QString stop;
  QString next;

  //! With `l_play` and `l_stop` as they are now.
  static TaskbarHints current(const QString& previous, const QString& next);
};

//! Which user action set the taskbar last: a failed or ended stream changes nothing.
enum class TaskbarPhase : std::uint8_t {
  Idle,            // start-up, or the user stopped playback
  StationStarted,  // `Play` asked for a station
};

//! Idle: no overlay, the middle button shows Play. StationStarted: the speaker overlay, the middle
//! button shows Stop.
TaskbarState taskbarState(TaskbarPhase phase, const TaskbarHints& hints);

}  // namespace qv::playback
