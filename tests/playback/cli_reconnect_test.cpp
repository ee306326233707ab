// quorventale-cli play --reconnect against the local server: a dropped station comes back and
// plays again; a station answering 404 on its return is given up with status 1.
#include "stream_server.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct CliRun {
  int exitCode = -1;
  QString output;
};

CliRun playWithReconnect(const std::string& url, int seconds) {
  QProcess cli;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
  cli.setProcessEnvironment(environment);
  cli.start(QStringLiteral(QV_CLI_PATH),
            {QStringLiteral("play"), QString::fromStdString(url), QStringLiteral("--reconnect"),
             QStringLiteral("--seconds"), QString::number(seconds)});
  CliRun run;
  if (!cli.waitForFinished((seconds + 20) * 1000)) {
    cli.kill();
    cli.waitForFinished(5000);
    return run;
  }
  run.exitCode = cli.exitCode();
  run.output = QString::fromUtf8(cli.readAllStandardOutput());
  return run;
}

TEST(CliReconnect, ADroppedStationPlaysAgain) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  const CliRun run = playWithReconnect(server.url("/outage/sine1k.mp3?up=1.5&down=0.5&burst=0.5&key=cli"), 6);
  EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
  const qsizetype reconnecting = run.output.indexOf(QStringLiteral("reconnecting (attempt 1) in 1.0 s"));
  ASSERT_GE(reconnecting, 0) << run.output.toStdString();
  EXPECT_GT(run.output.indexOf(QStringLiteral("playing"), reconnecting), reconnecting) << run.output.toStdString();
}

TEST(CliReconnect, ANotFoundAnswerEndsTheAttempts) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  const CliRun run =
      playWithReconnect(server.url("/outage/sine1k.mp3?up=1&down=60&burst=0.5&during=404&key=cli404"), 20);
  EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
  EXPECT_EQ(run.output.count(QStringLiteral("reconnecting (attempt")), 1) << run.output.toStdString();
  EXPECT_TRUE(run.output.contains(QStringLiteral("the station did not come back"))) << run.output.toStdString();
}

}  // namespace
