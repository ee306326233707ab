#include "sdl_audio_start.h"

#include <SDL.h>

namespace qv::engine {

int startSdlAudio() {
  // SDL's ALSA back end starts a thread that wakes ten times a second and re-reads the whole ALSA
  // configuration every 5 s to notice new devices: 25-70 ms of CPU per 30 s, up to a fifth of what
  // playing a station costs. We never ask for the device list again, so that thread is kept from
  // starting. It is the one thread SDL starts with the stack-size hint while its audio starts (the
  // device's own thread comes later, with a size of its own); a stack no machine can give makes it
  // fail, which SDL takes as "no device watching". The hint is put back at once.
  SDL_SetHintWithPriority(SDL_HINT_THREAD_STACK_SIZE, "9223372036854775807", SDL_HINT_OVERRIDE);
  const int result = SDL_InitSubSystem(SDL_INIT_AUDIO);
  SDL_ResetHint(SDL_HINT_THREAD_STACK_SIZE);
  if (result == 0) {
    SDL_ClearError();  // the thread's failure is not an error of ours
  }
  return result;
}

}  // namespace qv::engine
