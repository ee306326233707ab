#pragma once

// Starts tests/servers/stream_server.py on 127.0.0.1 for one test (or one suite) and stops it in
// the destructor. The server also ends by itself when our end of its stdin closes, so a test
// process that dies never leaves it behind. Its request log goes to this process's stderr.
//
//   StreamServer server;
//   ASSERT_TRUE(server.ok()) << server.error();
//   open(server.url("/icy/sine1k.mp3?metaint=8000"));
//
// The test target passes QV_PYTHON3_EXECUTABLE, QV_STREAM_SERVER_SCRIPT and QV_FIXTURES_DIR.

#include "child_process.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

class StreamServer {
 public:
#ifdef QV_FIXTURES_DIR
  StreamServer() : StreamServer(QStringLiteral(QV_FIXTURES_DIR)) {}
#endif

  explicit StreamServer(const QString& root, const QStringList& extraArguments = {}) {
#ifdef QV_PYTHON3_EXECUTABLE
    const QString python = QStringLiteral(QV_PYTHON3_EXECUTABLE);
#else
    const QString python = QStringLiteral("python3");
#endif
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    forkPlainly(process_);
    process_.start(python, QStringList{QStringLiteral(QV_STREAM_SERVER_SCRIPT), QStringLiteral("--root"), root,
                                       QStringLiteral("--port"), QStringLiteral("0")} +
                               extraArguments);
    if (!process_.waitForStarted(10000)) {
      error_ = "the stream server did not start: " + process_.errorString().toStdString();
      return;
    }
    const QDeadlineTimer deadline(10000);
    while (!process_.canReadLine() && !deadline.hasExpired() && process_.state() == QProcess::Running) {
      process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
    bool isNumber = false;
    const int port = line.startsWith(QStringLiteral("PORT ")) ? line.mid(5).toInt(&isNumber) : 0;
    if (!isNumber || port <= 0 || port > 65535) {
      error_ = "the stream server did not say its port within 10 s (it said \"" + line.toStdString() + "\")";
      stop();
      return;
    }
    port_ = static_cast<quint16>(port);
  }

  ~StreamServer() {
    stop();
  }

  StreamServer(const StreamServer&) = delete;
  StreamServer& operator=(const StreamServer&) = delete;

  bool ok() const {
    return port_ != 0;
  }
  const std::string& error() const {
    return error_;
  }
  quint16 port() const {
    return port_;
  }

  // path begins with "/", e.g. "/icy/sine1k.mp3?metaint=8000".
  std::string url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
  }

  QProcess& process() {
    return process_;
  }

  void stop() {
    if (process_.state() == QProcess::NotRunning) {
      return;
    }
    process_.closeWriteChannel();
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

 private:
  QProcess process_;
  quint16 port_ = 0;
  std::string error_;
};
