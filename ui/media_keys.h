#pragma once

#include "stage_outcome.h"

#include <memory>

namespace qv::ui {

//! The four global media keys (next, previous, stop, play/pause) as one service of the desktop.
//! Registering when they are registered, or unregistering when they are not, is harmless; a
//! failure is reported and otherwise ignored by the callers.
class MediaKeys {
 public:
  virtual ~MediaKeys() = default;
  virtual StageOutcome registerKeys() = 0;
  virtual StageOutcome unregisterKeys() = 0;
};

//! The service until the desktop's own realisation is put in its place: registers nothing and
//! says so (OwnerNotBuilt).
std::unique_ptr<MediaKeys> makeUnbuiltMediaKeys();

}  // namespace qv::ui
