#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

//! What one run of a command-line program left: its exit status (-1 when it crashed or did not
//! end in time) and its two outputs.
struct CliRun {
  int status = -1;
  QByteArray out;
  QByteArray err;
};

//! Runs `program` with `arguments` and `environment`, killing it after `limitMs`.
inline CliRun runCli(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                     int limitMs = 30000) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  CliRun run;
  if (!process.waitForFinished(limitMs)) {
    process.kill();
    process.waitForFinished(5000);
    return run;
  }
  run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}
