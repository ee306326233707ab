#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Tests that open the output play to nowhere.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
