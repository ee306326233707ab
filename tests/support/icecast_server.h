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

#include <QProcess>
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
    QProcess script;
    script.setProcessChannelMode(QProcess::SeparateChannels);
    forkPlainly(script);
    script.start(QStringLiteral("bash"), {QStringLiteral(QV_ICECAST_SCRIPT), QStringLiteral("start"), runDir_.path(),
                                          QStringLiteral(QV_FIXTURES_DIR)});
    if (!script.waitForFinished(60000)) {
      script.kill();
      script.waitForFinished(5000);
      error_ = "icecast.sh start did not finish within 60 s";
      stop();
      return;
    }
    const QString errors = QString::fromUtf8(script.readAllStandardError()).trimmed();
    if (script.exitStatus() == QProcess::NormalExit && script.exitCode() == 77) {
      notInstalled_ = true;
      error_ = errors.toStdString();
      return;
    }
    const QString output = QString::fromUtf8(script.readAllStandardOutput()).trimmed();
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
    QProcess script;
    forkPlainly(script);
    script.start(QStringLiteral("bash"), {QStringLiteral(QV_ICECAST_SCRIPT), QStringLiteral("stop"), runDir_.path()});
    script.waitForFinished(60000);
    url_.clear();
  }

 private:
  QTemporaryDir runDir_;
  std::string url_;
  std::string error_;
  bool notInstalled_ = false;
};
