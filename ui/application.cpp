#include "application.h"

#include "error_report.h"
#include "version.h"

#include <QMessageBox>

namespace qv::ui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QLatin1String(kProgramName));
  setOrganizationName(QStringLiteral("Pelworn"));
  setApplicationVersion(QLatin1String(kVersion));
  // The installed desktop entry: Wayland compositors and the desktop's media controls find the
  // program's name and icon through it.
  setDesktopFileName(QLatin1String(kApplicationId));
  // Only closing the main window ends the program; the settings window and the popup do not.
  setQuitOnLastWindowClosed(false);
  setErrorPresenter([](const QString& message) { QMessageBox::critical(nullptr, QString(), message); });
}

Application::~Application() {
  setErrorPresenter({});
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    showCurrentException();
  }
  return false;
}

}  // namespace qv::ui
