#include "main_window_handle.h"

namespace qv {
namespace {
QPointer<QObject> g_mainWindow;  // GUI thread writes it; readers hold no reference past a report
}

QObject* MainWindowHandle() {
  return g_mainWindow.data();
}

void setMainWindowHandle(QObject* window) {
  g_mainWindow = window;
}

}  // namespace qv
