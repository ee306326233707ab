#include "sdl_audio_start.h"

#include <SDL.h>

namespace qv::engine {

int startSdlAudio() {
  // SDL's Windows back ends are told of new devices by the system; nothing polls.
  return SDL_InitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace qv::engine
