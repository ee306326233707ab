#include "tray.h"

namespace qv::ui {

StageOutcome installMinimiseToTray() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::ui
