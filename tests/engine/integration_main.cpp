#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Streams play to nowhere unless a test captures the output with the disk driver.
  if (!qEnvironmentVariableIsSet("SDL_AUDIODRIVER")) {
    qputenv("SDL_AUDIODRIVER", "dummy");
  }
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
