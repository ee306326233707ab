#pragma once

#include "stage_outcome.h"

#include <QString>

#include <cstdint>

namespace qv::playback {

//! Whether an engine of `engineVersion` is the one this program was built for: its high word
//! (major.minor) must match; patch and build may differ.
bool engineVersionAccepted(std::uint32_t engineVersion);

//! The main window's audio stages. The engine version check (Failed: the caller shows the
//! wrong-library box and ends the program); output set-up at `outputRateHz` (0: the device's own
//! rate) on the device named `outputDevice` ("": the system's default; one the system does not
//! report: the default, told once by takeMissingOutputDevice) with playlist following on (Failed: the caller shows the
//! error with lastSetUpErrorCode() and ends the program); the release at the end, which also ends every stream still
//! playing.
StageOutcome checkEngineVersion();
StageOutcome setUpAudioOutput(int outputRateHz, const QString& outputDevice = {});
//! The device asked for at set-up that was not there (the default plays instead), once; "" after.
QString takeMissingOutputDevice();
StageOutcome releaseAudioOutput();

//! The engine's error code of the last failed setUpAudioOutput.
int lastSetUpErrorCode();

}  // namespace qv::playback
