#include "media_keys.h"

namespace qv::ui {

StageOutcome registerMediaKeys() {
  return StageOutcome::OwnerNotBuilt;
}

StageOutcome unregisterMediaKeys() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::ui
