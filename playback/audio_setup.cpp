#include "audio_setup.h"

namespace qv::playback {

StageOutcome checkEngineVersion() {
  return StageOutcome::OwnerNotBuilt;
}

StageOutcome setUpAudioOutput(int /*outputRateHz*/) {
  return StageOutcome::OwnerNotBuilt;
}

StageOutcome releaseAudioOutput() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::playback
