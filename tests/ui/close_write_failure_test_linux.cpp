// A disk that fills up before the program ends: each file is saved on its own, none is replaced
// by a cut one, and the user is told once which could not be written and why.
#include "default_playlist.h"
#include "file_size_limit.h"
#include "program_run.h"
#include "recent_playlists.h"

#include <QDir>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

std::vector<qv::stations::StationEntry> stations(int count) {
  std::vector<qv::stations::StationEntry> list;
  for (int n = 1; n <= count; ++n) {
    list.push_back({QStringLiteral("Station %1").arg(n), QStringLiteral("http://127.0.0.1:8000/%1").arg(n), {}, {}});
  }
  return list;
}

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString cannotBeWritten(const QString& path) {
  return QDir::toNativeSeparators(path) + QStringLiteral(" cannot be written: File too large");
}

TEST(CloseWriteFailure, EachFileIsSavedOnItsOwnAndTheFailuresAreToldOnce) {
  struct Case {
    const char* name;
    rlim_t limitBytes;
    bool smallFilesFail;  // the settings and the recent list
  };
  const Case cases[] = {
      {"no file fits", 16, true},
      {"only the station list is too large", 8192, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRun run;
    run.profile.writeSettings({QStringLiteral("\"Volume\"=dword:00000028")});
    const QString list = run.profile.dataFolder() + QStringLiteral("/default_playlist.ini");
    const QString recent = qv::playlists::recentPlaylistsFile();
    ASSERT_TRUE(QDir().mkpath(run.profile.dataFolder()));
    ASSERT_EQ(qv::saveDefaultPlaylist(list, QString(), stations(3)), QString());
    {
      QFile file(recent);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      ASSERT_GT(file.write("[recent]\r\nPath1=/lists/old.m3u\r\nName1=old\r\n"), 0);
    }
    ASSERT_TRUE(run.start());
    // As start-up left them (it may complete the settings file).
    const std::string settingsBefore = run.profile.settingsText().toStdString();
    const std::string listBefore = fileBytes(list).toStdString();
    const std::string recentBefore = fileBytes(recent).toStdString();
    MainForm->VolumeTB->setValue(70);
    MainForm->Stations.replaceAll(stations(300));
    {
      const FileSizeLimit limit(c.limitBytes);
      ASSERT_TRUE(limit.active());
      run.finish();
    }

    // Both windows write the settings file as the program ends: one box still.
    ASSERT_EQ(run.errors.size(), 1) << run.errors.join(QLatin1Char('|')).toStdString();
    const QString told = run.errors.front();
    EXPECT_TRUE(told.contains(cannotBeWritten(list))) << told.toStdString();
    EXPECT_EQ(fileBytes(list).toStdString(), listBefore);
    EXPECT_EQ(told.contains(cannotBeWritten(run.profile.settingsFile())), c.smallFilesFail) << told.toStdString();
    EXPECT_EQ(told.contains(cannotBeWritten(recent)), c.smallFilesFail) << told.toStdString();
    if (c.smallFilesFail) {
      EXPECT_EQ(run.profile.settingsText().toStdString(), settingsBefore);
      EXPECT_EQ(fileBytes(recent).toStdString(), recentBefore);
      EXPECT_EQ(told.count(QLatin1Char('\n')), 2) << "one line a file";
    } else {
      EXPECT_TRUE(run.profile.settingsText().contains("\"Volume\"=dword:00000046"));
    }
    const QStringList left = QDir(run.profile.dataFolder()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({QStringLiteral("default_playlist.ini"), QStringLiteral("recent_playlists.ini")}));
  }
}

}  // namespace
