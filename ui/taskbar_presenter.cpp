#include "taskbar_presenter.h"

#include "lifecycle_log.h"

namespace qv::ui {

namespace {

class LogOnlyTaskbarPresenter final : public TaskbarPresenter {
 public:
  void apply(const qv::playback::TaskbarState& state) override {
    qCInfo(lcLifecycle) << "taskbar state not shown (no taskbar buttons yet): middle button"
                        << qv::playback::taskbarIconResource(state.buttons[1].icon) << state.buttons[1].hint
                        << "overlay" << (state.overlay ? qv::playback::taskbarIconResource(*state.overlay) : QString());
  }
};

}  // namespace

std::unique_ptr<TaskbarPresenter> makeDefaultTaskbarPresenter() {
  return std::make_unique<LogOnlyTaskbarPresenter>();
}

}  // namespace qv::ui
