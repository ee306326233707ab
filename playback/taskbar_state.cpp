#include "taskbar_state.h"

#include "interface_texts.h"

namespace qv::playback {

QString taskbarIconResource(TaskbarIcon icon) {
  switch (icon) {
    case TaskbarIcon::Play:
      return QStringLiteral("PlayIcon");
    case TaskbarIcon::Stop:
      return QStringLiteral("StopIcon");
    case TaskbarIcon::Sound:
      return QStringLiteral("SoundIcon");
    case TaskbarIcon::Previous:
    case TaskbarIcon::Next:
      break;
  }
  return {};
}

TaskbarHints TaskbarHints::current(const QString& previous, const QString& next) {
  return {previous, qv::l_play, qv::l_stop, next};
}

TaskbarState taskbarState(TaskbarPhase phase, const TaskbarHints& hints) {
  const bool started = phase == TaskbarPhase::StationStarted;
  TaskbarState state;
  state.buttons = {{
      {TaskbarIcon::Previous, hints.previous},
      started ? ThumbnailButton{TaskbarIcon::Stop, hints.stop} : ThumbnailButton{TaskbarIcon::Play, hints.play},
      {TaskbarIcon::Next, hints.next},
  }};
  if (started) {
    state.overlay = TaskbarIcon::Sound;
  }
  return state;
}

}  // namespace qv::playback
