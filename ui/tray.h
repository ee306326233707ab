#pragma once

#include "stage_outcome.h"

namespace qv::ui {

//! Makes minimising hide the main window to the tray. Not built yet: returns OwnerNotBuilt and
//! minimising minimises.
StageOutcome installMinimiseToTray();

}  // namespace qv::ui
