#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <csignal>

//! A session bus of its own for one test; ended by its process id. `address` stays empty when
//! dbus-daemon is missing or did not start.
class PrivateBus {
 public:
  PrivateBus() {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
      return;
    }
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--fork"),
                                                 QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
    if (!daemon.waitForFinished(5000)) {
      daemon.kill();
      daemon.waitForFinished(1000);
      return;
    }
    const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split(QLatin1Char('\n'));
    if (lines.size() >= 2) {
      address = lines[0].trimmed();
      pid = lines[1].trimmed().toLongLong();
    }
  }
  ~PrivateBus() {
    if (pid > 0) {
      ::kill(static_cast<pid_t>(pid), SIGTERM);
    }
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool ok() const { return !address.isEmpty() && pid > 0; }

  QString address;
  qint64 pid = 0;
};
