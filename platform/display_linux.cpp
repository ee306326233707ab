#include "display.h"

#include <QByteArray>
#include <QtGlobal>

namespace qv::ui {

bool displayAvailable() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void chooseDisplayOptions() {
  // On X11 the level meter repaints a few pixels several times a second. Through shared memory
  // each repaint first waits for the X server to finish reading the last one (a round trip, plus a
  // wake-up for its completion event); sending the changed pixels over the socket costs less for a
  // window this small. A choice the user made in the environment stands.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
    qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
  }
}

}  // namespace qv::ui
