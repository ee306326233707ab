#pragma once

#include "taskbar_state.h"

#include <memory>

namespace qv::ui {

//! Shows a whole taskbar state (thumbnail buttons, hints, overlay) on the desktop. The tray work
//! brings the desktop realisation; until then the default one only writes the state to the log.
class TaskbarPresenter {
 public:
  virtual ~TaskbarPresenter() = default;
  virtual void apply(const qv::playback::TaskbarState& state) = 0;
};

std::unique_ptr<TaskbarPresenter> makeDefaultTaskbarPresenter();

}  // namespace qv::ui
