#pragma once

#include "stage_outcome.h"

namespace qv::playback {

//! Starts playing the current station (the main window's `Play`). Play control is not built yet:
//! returns OwnerNotBuilt and nothing plays.
StageOutcome playCurrentStation();

}  // namespace qv::playback
