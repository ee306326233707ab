#pragma once

#include <cstdint>

namespace qv {

//! What a start-up or shutdown stage reports to the window that runs it.
enum class StageOutcome : std::uint8_t {
  Done,
  Failed,
  //! The subsystem that owns the stage is not part of the program yet: the call did nothing.
  OwnerNotBuilt,
};

}  // namespace qv
