#pragma once

namespace qv::engine {

//! For tests: takes the running output device as gone, as when SDL stops a device that was
//! unplugged, which its disk and dummy drivers never do. The output then moves as it would.
void simulateOutputDeviceLoss();

}  // namespace qv::engine
