#include "keep_awake.h"

#include <windows.h>

namespace qv::ui {

namespace {

// The execution state belongs to the calling thread: both calls come from the GUI thread.
class ExecutionStateKeepAwake final : public KeepAwake {
 public:
  void keepAwake() override { SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED); }
  void allowSleep() override { SetThreadExecutionState(ES_CONTINUOUS); }
};

}  // namespace

std::unique_ptr<KeepAwake> makeSystemKeepAwake() {
  return std::make_unique<ExecutionStateKeepAwake>();
}

}  // namespace qv::ui
