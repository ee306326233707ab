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

#include <QString>
#include <QStringList>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

class StreamServer {
 public:
#ifdef QV_FIXTURES_DIR
  StreamServer() : StreamServer(QStringLiteral(QV_FIXTURES_DIR)) {}
#endif

  explicit StreamServer(const QString& root, const QStringList& extraArguments = {}) {
#ifdef QV_PYTHON3_EXECUTABLE
    const std::string python = QV_PYTHON3_EXECUTABLE;
#else
    const std::string python = "python3";
#endif
    std::vector<std::string> arguments{QV_STREAM_SERVER_SCRIPT, "--root", root.toStdString(), "--port", "0"};
    for (const QString& extra : extraArguments) {
      arguments.push_back(extra.toStdString());
    }
    if (!process_.start(python, arguments)) {
      error_ = "the stream server did not start";
      return;
    }
    const std::string line = process_.readLine(std::chrono::seconds(10)).value_or(std::string());
    bool isNumber = false;
    const QString text = QString::fromStdString(line).trimmed();
    const int port = text.startsWith(QStringLiteral("PORT ")) ? text.mid(5).toInt(&isNumber) : 0;
    if (!isNumber || port <= 0 || port > 65535) {
      error_ = "the stream server did not say its port within 10 s (it said \"" + line + "\")";
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

  ChildProcess& process() {
    return process_;
  }

  void stop() {
    if (!process_.running()) {
      return;
    }
    process_.closeStdin();
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

 private:
  ChildProcess process_;
  quint16 port_ = 0;
  std::string error_;
};
