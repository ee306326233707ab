#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Tests that open the output play to nowhere.
  if (!std::getenv("SDL_AUDIODRIVER")) {
#ifdef _WIN32
    _putenv_s("SDL_AUDIODRIVER", "dummy");
#else
    setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
