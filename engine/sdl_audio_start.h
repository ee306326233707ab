#pragma once

namespace qv::engine {

//! Starts SDL's audio subsystem (SDL_InitSubSystem's result: 0 on success). The engine reads the
//! list of devices once, when it opens its output, so it leaves out what SDL would otherwise run
//! to follow devices coming and going, where that costs CPU for as long as the program runs.
int startSdlAudio();

}  // namespace qv::engine
