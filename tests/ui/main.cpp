#include "application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Widget tests draw off screen unless told otherwise (test discovery runs without ctest's environment).
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  // The windows set up the real audio output; a machine without a sound card plays to nowhere.
  if (!qEnvironmentVariableIsSet("SDL_AUDIODRIVER")) {
    qputenv("SDL_AUDIODRIVER", "dummy");
  }
  // The program's own application object, so its general error handler is what the tests see.
  qv::ui::Application app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
