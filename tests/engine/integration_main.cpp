#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Streams play to nowhere unless a test captures the output with the disk driver.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
