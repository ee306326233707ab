#include "skin.h"

namespace qv::ui {

StageOutcome loadSkinImages() {
  return StageOutcome::OwnerNotBuilt;
}

StageOutcome releaseSkinImages() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::ui
