#pragma once

#include "taskbar_state.h"

#include <functional>
#include <memory>

class QWidget;

namespace qv::ui {

//! Shows a whole taskbar state (thumbnail buttons, hints, overlay) on the desktop. GUI thread only.
class TaskbarPresenter {
 public:
  virtual ~TaskbarPresenter() = default;
  virtual void apply(const qv::playback::TaskbarState& state) = 0;
};

//! What the taskbar's buttons do, and how the state reaches a desktop that shows it elsewhere.
struct TaskbarActions {
  std::function<void()> previous;
  std::function<void()> playStop;
  std::function<void()> next;
  //! Linux desktops show the taskbar state through the media keys' MPRIS service (its playback
  //! status and next/previous); this tells it to publish again.
  std::function<void()> publish;
};

//! The thumbnail buttons and overlay of `window`'s taskbar button (Windows), or the MPRIS service's
//! properties (Linux).
std::unique_ptr<TaskbarPresenter> makeSystemTaskbarPresenter(QWidget& window, TaskbarActions actions);

}  // namespace qv::ui
