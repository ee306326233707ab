// `quorventale-cli search` and `check` against the local stand-ins, the directory named through
// QUORVENTALE_DIRECTORY as a user with a private mirror would.
#include "cli_run.h"
#include "directory_server.h"
#include "stream_server.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CliRun cli(const QStringList& arguments, const QString& directories) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QUORVENTALE_DIRECTORY"), directories);
  const QTemporaryDir cache;  // the tool's cache folder, never the user's
  environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
  return runCli(QStringLiteral(QV_CLI), arguments, environment, 60000);
}

TEST(CliDirectory, SearchPrintsOneStationALineAndAnErrorAsAnError) {
  StreamServer streams;
  ASSERT_TRUE(streams.ok()) << streams.error();
  DirectoryServer directory(streams.url(""));
  ASSERT_TRUE(directory.ok()) << directory.error();
  const QString pool = directory.unavailable() + QLatin1Char(',') + directory.good();

  const CliRun found =
      cli({QStringLiteral("search"), QStringLiteral("radio"), QStringLiteral("--tag"), QStringLiteral("rock"),
           QStringLiteral("--country"), QStringLiteral("FR"), QStringLiteral("--limit"), QStringLiteral("2")},
          pool);
  EXPECT_EQ(found.status, 0) << found.err.toStdString();
  const QList<QByteArray> lines = found.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << found.out.toStdString();
  for (const QByteArray& line : lines) {
    const QList<QByteArray> fields = line.split('\t');
    ASSERT_EQ(fields.size(), 6) << line.toStdString();
    EXPECT_TRUE(fields[1].startsWith(QByteArray::fromStdString(streams.url("/icy/"))));
    EXPECT_EQ(fields[2], "FR");
    EXPECT_TRUE(fields[3].contains("rock"));
  }

  const CliRun offline = cli({QStringLiteral("search"), QStringLiteral("radio")}, directory.refused());
  EXPECT_EQ(offline.status, 1);
  EXPECT_TRUE(offline.out.isEmpty());
  EXPECT_TRUE(offline.err.contains("could not be searched")) << offline.err.toStdString();

  EXPECT_EQ(
      cli({QStringLiteral("search"), QStringLiteral("x"), QStringLiteral("--limit"), QStringLiteral("0")}, pool).status,
      2);
}

TEST(CliDirectory, CheckPrintsEachVerdictAndTheRepair) {
  StreamServer streams;
  ASSERT_TRUE(streams.ok()) << streams.error();
  DirectoryServer directory(streams.url(""));
  ASSERT_TRUE(directory.ok()) << directory.error();
  QTemporaryDir dir;
  const QString list = dir.filePath(QStringLiteral("list.m3u"));
  QFile file(list);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString("#EXTM3U\n#EXTINF:-1,Live\n" + streams.url("/icy/sine1k.mp3") +
                                       "\n#EXTINF:-1,Gone\n" + streams.url("/status/404") + "\n#EXTINF:-1,Moved\n" +
                                       streams.url("/moved/sine1k.ogg") + "\n"));
  file.close();
  const CliRun run = cli({QStringLiteral("check"), list}, directory.good());
  EXPECT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_EQ(run.out,
            QByteArray::fromStdString("alive\tLive\t" + streams.url("/icy/sine1k.mp3") + "\n" + "dead (404)\tGone\t" +
                                      streams.url("/status/404") + "\t" + streams.url("/icy/sine1k.mp3?name=Repaired") +
                                      "\n" + "moved\tMoved\t" + streams.url("/moved/sine1k.ogg") + "\t" +
                                      streams.url("/icy/sine1k.ogg") + "\n"));
  EXPECT_TRUE(run.err.contains("1 alive, 1 dead, 1 moved")) << run.err.toStdString();
}

}  // namespace
