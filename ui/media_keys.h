#pragma once

#include "stage_outcome.h"

namespace qv::ui {

//! The four global media keys (next, previous, stop, play/pause), registered with the main window.
//! Not built yet: both return OwnerNotBuilt and no key is registered.
StageOutcome registerMediaKeys();
StageOutcome unregisterMediaKeys();

}  // namespace qv::ui
