// The player: creates the application and its four windows, runs until the main window closes.
#include "application.h"
#include "display.h"
#include "program.h"
#include "settings/registry_key.h"
#include "skin.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (!qv::ui::displayAvailable()) {
    std::fputs("quorventale: no display to show the player on (DISPLAY and WAYLAND_DISPLAY are not set).\n", stderr);
    return 1;
  }
  qv::ui::chooseDisplayOptions();
  qv::ui::Application app(argc, argv);
  app.setWindowIcon(qv::ui::applicationIcon());

  const auto settings = qv::settings::createPlatformSettingsBackend();
  qv::ui::Program program(*settings);
  if (!program.createWindows()) {
    return program.startUpExitStatus();
  }
  const int exitCode = program.run();
  program.destroyWindows();
  return exitCode;
}
