#pragma once

#include "stage_outcome.h"

namespace qv::ui {

//! The skin images, loaded once by name at start-up and released when the main window closes.
//! The skin is not built yet: both return OwnerNotBuilt and the buttons show no images.
StageOutcome loadSkinImages();
StageOutcome releaseSkinImages();

}  // namespace qv::ui
