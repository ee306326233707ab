#include "play_control.h"

namespace qv::playback {

StageOutcome playCurrentStation() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::playback
