#pragma once

// Names the calling thread for debuggers, `top -H` and the benchmark's per-thread figures.

#if defined(__linux__)
#include <pthread.h>
#endif

namespace qv::engine {

//! `name`: at most 15 characters, the limit on Linux. Elsewhere nothing happens.
inline void nameThisThread(const char* name) {
#if defined(__linux__)
  pthread_setname_np(pthread_self(), name);
#else
  (void)name;
#endif
}

}  // namespace qv::engine
