#include "update_check.h"

namespace qv::update {

StageOutcome runUpdateCheck() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::update
