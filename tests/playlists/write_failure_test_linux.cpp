// A write that fails half way (a full disk, here a file size limit) must leave every file the
// program writes as it was, and say which file and why.
#include "child_process.h"
#include "default_playlist.h"
#include "file_size_limit.h"
#include "files.h"
#include "history_csv.h"
#include "logo_cache.h"
#include "playlist_export.h"
#include "recent_playlists.h"
#include "settings/reg_file_backend.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using qv::stations::StationEntry;

// Far below what each writer below writes, far above nothing.
constexpr rlim_t kLimitBytes = 1024;

std::vector<StationEntry> manyStations() {
  std::vector<StationEntry> stations;
  for (int i = 0; i < 100; ++i) {
    const QString number = QString::number(i);
    stations.push_back({QStringLiteral("Station ") + number, QStringLiteral("http://127.0.0.1/") + number,
                        QStringLiteral("jazz"), QString()});
  }
  return stations;
}

struct WriterCase {
  const char* kind;
  const char* fileName;
  //! Null: no file before.
  QByteArray before;
  //! Writes the file at the path; returns the error.
  std::function<QString(const QString&)> write;
};

const QByteArray kSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\r\n"
    "\"Volume\"=dword:00000028\r\n\r\n";

QString writeSettings(const QString& path) {
  qv::settings::RegFileBackend backend(path);
  const auto key = backend.openKey();
  if (!key) {
    return QStringLiteral("the key did not open");
  }
  key->setString(QStringLiteral("LastPlaylist"), QString(2000, u'x'));
  key->close();
  return key->writeError();
}

QString writeRecentList(const QString& path) {
  qv::playlists::RecentPlaylists recent;
  for (int i = 0; i < qv::playlists::RecentPlaylists::kSlots; ++i) {
    recent.AddRecentFile(QStringLiteral("/lists/") + QString(200, QChar(u'a' + i)) + QStringLiteral(".m3u"));
  }
  return recent.save(path);
}

QString writeHistory(const QString& path) {
  QList<qv::history::HistoryEntry> entries;
  for (int i = 0; i < 100; ++i) {
    entries.append({0, QDateTime::fromSecsSinceEpoch(1'700'000'000 + i), QStringLiteral("Station"),
                    QStringLiteral("http://127.0.0.1/s"), QStringLiteral("Title ") + QString::number(i)});
  }
  return qv::history::exportHistoryCsv(path, entries);
}

TEST(WriteFailure, EveryFileKindKeepsItsOldContentAndNamesThePathAndTheReason) {
  const WriterCase cases[] = {
      {"settings", "Quorventale.reg", kSettings, writeSettings},
      // Unreadable lines: the file is set aside before the write and must come back.
      {"damaged settings", "Quorventale.reg", QByteArray("\xFF\xFE garbage\r\n[nothing\r\n"), writeSettings},
      {"station list", "default_playlist.ini", "[playlist]\r\nName1=Old\r\nLink1=http://old\r\n",
       [](const QString& path) { return qv::saveDefaultPlaylist(path, QString(), manyStations()); }},
      {"recent list", "recent_playlists.ini", "[recent]\r\nPath1=/old.m3u\r\nName1=old\r\n", writeRecentList},
      {"recent list, none before", "recent_playlists.ini", QByteArray(), writeRecentList},
      {"export", "old.pls", "[playlist]\r\nnumberofentries=1\r\nFile1=http://old\r\n",
       [](const QString& path) { return qv::playlists::exportPlaylist(path, manyStations(), false); }},
      {"logo", "logo.png", "\x89PNG old",
       [](const QString& path) { return qv::playlists::storeLogo(path, QByteArray(4096, 'x')); }},
      {"history export", "history.csv", "\"old\"\r\n", writeHistory},
  };
  for (const WriterCase& c : cases) {
    SCOPED_TRACE(c.kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(c.fileName));
    if (!c.before.isNull()) {
      ASSERT_TRUE(writeFile(path, c.before));
    }
    const std::optional<std::string> error =
        runWithFileSizeLimit(kLimitBytes, [&] { return c.write(path).toStdString(); });
    ASSERT_TRUE(error.has_value());
    const QString said = QString::fromStdString(*error);
    EXPECT_TRUE(said.contains(QDir::toNativeSeparators(path) + QStringLiteral(" cannot be written: File too large")))
        << said.toStdString();
    // The old file byte for byte, and nothing beside it: no temporary file, nothing set aside.
    const QStringList expected = c.before.isNull() ? QStringList() : QStringList{QString::fromLatin1(c.fileName)};
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), expected);
    EXPECT_EQ(readFile(path).toStdString(), c.before.toStdString());
  }
}

TEST(WriteFailure, ConvertCutShortEndsWithStatusOneAndKeepsTheOldFile) {
  QTemporaryDir dir;
  QByteArray big = "#EXTM3U\n";
  for (int i = 0; i < 2000; ++i) {
    big += "#EXTINF:-1,Station " + QByteArray::number(i) + "\nhttp://127.0.0.1/" + QByteArray::number(i) + "\n";
  }
  const QString in = dir.filePath(QStringLiteral("big.m3u"));
  const QString out = dir.filePath(QStringLiteral("old.pls"));
  const QByteArray before = "[playlist]\r\nnumberofentries=1\r\nFile1=http://old\r\n";
  ASSERT_TRUE(writeFile(in, big));
  ASSERT_TRUE(writeFile(out, before));

  ChildProcess cli;
  {
    // Only the child keeps the limit: it is lifted here as soon as the child has started.
    const FileSizeLimit limit(16 * 1024);
    ASSERT_TRUE(limit.active());
    ASSERT_TRUE(cli.start(QV_CLI, {"convert", in.toStdString(), out.toStdString()}, true));
  }
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_TRUE(cli.exitedNormally());
  EXPECT_EQ(cli.exitCode(), 1);
  const std::string said = cli.readAllStderr();
  EXPECT_NE(said.find(out.toStdString() + " cannot be written: File too large"), std::string::npos) << said;
  EXPECT_EQ(readFile(out), before);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), strings({"big.m3u", "old.pls"}));
}

}  // namespace
