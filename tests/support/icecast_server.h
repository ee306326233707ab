#pragma once

// A real Icecast2 on 127.0.0.1 for one test, started and stopped through tests/servers/icecast.sh:
// /live.mp3 plays the 128 kbit/s music fixture in real time and its StreamTitle changes every 2 s
// ("Icecast Artist - Track <n>").
//
//   IcecastServer icecast;
//   if (icecast.notInstalled()) GTEST_SKIP() << icecast.error();
//   ASSERT_TRUE(icecast.ok()) << icecast.error();
//   open(icecast.url());
//
// The test target passes QV_ICECAST_SCRIPT and QV_FIXTURES_DIR (see qv_use_stream_server).

#include "child_process.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <string>

class IcecastServer {
 public:
  IcecastServer() {
    if (!runDir_.isValid()) {
      error_ = "no temporary folder for Icecast";
      return;
    }
    ChildProcess script;
    if (!script.start("bash", {QV_ICECAST_SCRIPT, "start", runDir_.path().toStdString(), QV_FIXTURES_DIR}, true)) {
      error_ = "icecast.sh could not be started";
      return;
    }
    if (!script.waitForFinished(60000)) {
      script.kill();
      script.waitForFinished(5000);
      error_ = "icecast.sh start did not finish within 60 s";
      stop();
      return;
    }
    const QString errors = QString::fromStdString(script.readAllStderr()).trimmed();
    if (script.exitedNormally() && script.exitCode() == 77) {
      notInstalled_ = true;
      error_ = errors.toStdString();
      return;
    }
    const QString output = QString::fromStdString(script.readAllStdout()).trimmed();
    if (script.exitCode() != 0 || !output.startsWith(QStringLiteral("URL "))) {
      error_ = "icecast.sh start failed: " + errors.toStdString();
      stop();
      return;
    }
    url_ = output.mid(4).toStdString();
  }

  ~IcecastServer() { stop(); }

  IcecastServer(const IcecastServer&) = delete;
  IcecastServer& operator=(const IcecastServer&) = delete;

  bool ok() const { return !url_.empty(); }
  bool notInstalled() const { return notInstalled_; }
  const std::string& error() const { return error_; }
  // http://127.0.0.1:<port>/live.mp3
  const std::string& url() const { return url_; }
  quint16 port() const { return static_cast<quint16>(QUrl(QString::fromStdString(url_)).port()); }

  // Ends exactly the processes the script started; harmless when called twice.
  void stop() {
    if (!runDir_.isValid() || notInstalled_) {
      return;
    }
    ChildProcess script;
    if (script.start("bash", {QV_ICECAST_SCRIPT, "stop", runDir_.path().toStdString()})) {
      script.waitForFinished(60000);
    }
    url_.clear();
  }

 private:
  QTemporaryDir runDir_;
  std::string url_;
  std::string error_;
  bool notInstalled_ = false;
};
