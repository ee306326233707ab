#pragma once

// Starts tests/servers/directory_server.py (a stand-in for the station directory on 127.0.0.1) and
// stops it in the destructor; the server also ends when our end of its stdin closes.
//
//   DirectoryServer directory("http://127.0.0.1:1234");  // where its stations' links point
//   ASSERT_TRUE(directory.ok()) << directory.error();
//   qputenv("QUORVENTALE_DIRECTORY", directory.good().toUtf8());
//
// The test target passes QV_PYTHON3_EXECUTABLE and QV_DIRECTORY_SERVER_SCRIPT.

#include "child_process.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <string>
#include <vector>

class DirectoryServer {
 public:
  explicit DirectoryServer(const std::string& streamBase = "http://127.0.0.1:9", int stations = 36) {
    const std::vector<std::string> arguments{QV_DIRECTORY_SERVER_SCRIPT, "--stream-base", streamBase, "--stations",
                                             std::to_string(stations)};
    if (!process_.start(QV_PYTHON3_EXECUTABLE, arguments)) {
      error_ = "the directory server did not start";
      return;
    }
    const std::string line = process_.readLine(std::chrono::seconds(10)).value_or(std::string());
    const QStringList fields = QString::fromStdString(line).trimmed().split(QLatin1Char(' '));
    if (fields.size() != 5 || fields[0] != QLatin1String("PORTS")) {
      error_ = "the directory server did not say its ports within 10 s (it said \"" + line + "\")";
      stop();
      return;
    }
    for (int i = 1; i < 5; ++i) {
      urls_.append(QStringLiteral("http://127.0.0.1:") + fields[i]);
    }
  }
  ~DirectoryServer() { stop(); }
  DirectoryServer(const DirectoryServer&) = delete;
  DirectoryServer& operator=(const DirectoryServer&) = delete;

  bool ok() const { return urls_.size() == 4; }
  const std::string& error() const { return error_; }

  //! Answers like the directory.
  QString good() const { return urls_.value(0); }
  //! Answers 503 to everything.
  QString unavailable() const { return urls_.value(1); }
  //! Answers an HTML page with status 200 to everything.
  QString html() const { return urls_.value(2); }
  //! Nothing listens there.
  QString refused() const { return urls_.value(3); }

  void stop() {
    if (!process_.running()) {
      return;
    }
    process_.closeStdin();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

 private:
  ChildProcess process_;
  QStringList urls_;
  std::string error_;
};
