#pragma once

#include "stage_outcome.h"

namespace qv::update {

//! The check for a newer version, the settings window's last start-up stage. Not built yet:
//! returns OwnerNotBuilt and sends no request.
StageOutcome runUpdateCheck();

}  // namespace qv::update
