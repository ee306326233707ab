#include "application.h"

#include "error_report.h"
#include "version.h"

#include <QMessageBox>

#include <cstdio>

namespace qv::ui {
namespace {

// On a platform without a screen (offscreen, minimal) nobody can answer a box: it would wait for ever.
bool boxesCanBeAnswered() {
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// Standard error too: a terminal, a log of the session or a script sees what the box said.
void presentError(const QString& message) {
  std::fprintf(stderr, "quorventale: %s\n", message.toLocal8Bit().constData());
  std::fflush(stderr);
  if (boxesCanBeAnswered()) {
    QMessageBox::critical(nullptr, QString(), message);
  }
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QLatin1String(kProgramName));
  setOrganizationName(QStringLiteral("Pelworn"));
  setApplicationVersion(QLatin1String(kVersion));
  // The installed desktop entry: Wayland compositors and the desktop's media controls find the
  // program's name and icon through it.
  setDesktopFileName(QLatin1String(kApplicationId));
  // Only closing the main window ends the program; the settings window and the popup do not.
  setQuitOnLastWindowClosed(false);
  setErrorPresenter(presentError);
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
