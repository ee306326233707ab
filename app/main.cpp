// The player: creates the application and its four windows, runs until the main window closes.
// One player per profile: a later start hands its arguments to the running one and ends.
#include "main.h"
#include "application.h"
#include "display.h"
#include "program.h"
#include "settings/registry_key.h"
#include "single_instance.h"
#include "skin.h"
#include "start_arguments.h"
#include "start_requests.h"
#include "version.h"

#include <QDir>
#include <QTimer>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.append(QString::fromLocal8Bit(argv[i]));
  }
  return arguments;
}

void print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

int main(int argc, char** argv) {
  const qv::app::StartArguments arguments = qv::app::parseStartArguments(argumentsOf(argc, argv), QDir::currentPath());
  if (!arguments.error.isEmpty()) {
    print(stderr, QStringLiteral("quorventale: %1\nTry 'quorventale --help'.\n").arg(arguments.error));
    return 2;
  }
  if (arguments.showHelp || arguments.showVersion) {
    print(stdout, arguments.showHelp ? qv::app::helpText()
                                     : QStringLiteral("quorventale %1\n").arg(QLatin1String(qv::kVersion)));
    return 0;
  }
  if (!qv::ui::displayAvailable()) {
    std::fputs("quorventale: no display to show the player on (DISPLAY and WAYLAND_DISPLAY are not set).\n", stderr);
    return 1;
  }
  qv::ui::chooseDisplayOptions();
  qv::ui::Application app(argc, argv);
  app.setWindowIcon(qv::ui::applicationIcon());

  // Before any file of the profile is read: a second player on it only hands over.
  qv::app::SingleInstance instance(qv::app::SingleInstance::profileLockFile(),
                                   qv::app::SingleInstance::profileSocketName());
  const qv::app::SingleInstance::Outcome started = instance.start(qv::app::encodeRequests(arguments.requests));
  if (started.role == qv::app::SingleInstance::Role::HandedOver) {
    return 0;
  }
  if (started.role == qv::app::SingleInstance::Role::Refused) {
    print(stderr, QStringLiteral("quorventale: not started: %1\n").arg(started.reason));
    return 1;
  }

  const auto settings = qv::settings::createPlatformSettingsBackend();
  qv::ui::Program program(*settings);
  if (!program.createWindows()) {
    return program.startUpExitStatus();
  }
  auto* requests = new qv::app::StartRequests(*MainForm);
  instance.setReceiver([requests](const QByteArray& message) { requests->runHandedOver(message); });
  // Once the window shows and the event loop runs, as a drop on it would.
  QTimer::singleShot(0, requests, [requests, own = arguments.requests] { requests->runOwn(own); });
  const int exitCode = program.run();
  instance.setReceiver({});
  program.destroyWindows();
  return exitCode;
}
