#pragma once

#include "stage_outcome.h"

namespace qv::playback {

//! The main window's audio stages: the engine version check at start-up (Failed ends the program),
//! output initialisation at `outputRateHz` on the default device with its plug-ins (Failed ends the
//! program), and the release at the end. The audio engine is not built yet: each returns
//! OwnerNotBuilt, and the program runs without sound.
StageOutcome checkEngineVersion();
StageOutcome setUpAudioOutput(int outputRateHz);
StageOutcome releaseAudioOutput();

}  // namespace qv::playback
