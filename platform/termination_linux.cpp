#include "termination.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace qv::ui {
namespace {

int g_signalPipe[2] = {-1, -1};

// Async-signal-safe: only writes one byte for the GUI thread to pick up.
void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

}  // namespace

void closeOnTerminationRequest(QWidget* mainWindow) {
  if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
    return;
  }
  auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, mainWindow);
  QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [window = QPointer<QWidget>(mainWindow)] {
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[1], &byte, 1);
    if (window) {
      window->close();
    }
  });
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace qv::ui
