// The recorder writes on its own thread and reports on the caller's: a title stored, a repeat
// not, a damaged database said once.
#include "history_recorder.h"
#include "history_database.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace hs = qv::history;

namespace {

hs::HistoryEntry heard(const QString& title) {
  return {0, QDateTime::currentDateTimeUtc(), QStringLiteral("One"), QStringLiteral("http://one.example/"), title};
}

TEST(HistoryRecorder, StoresTitlesOffTheCallingThreadAndKeepsTheYear) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("sub/history.sqlite"));  // the folder is made
  {
    // A title heard two years ago, stored by an earlier session.
    hs::HistoryDatabase old;
    ASSERT_TRUE(QDir().mkpath(folder.filePath(QStringLiteral("sub"))));
    ASSERT_TRUE(old.open(path).ok);
    hs::HistoryEntry ancient = heard(QStringLiteral("Ancient"));
    ancient.heardAt = ancient.heardAt.addYears(-2);
    ASSERT_TRUE(old.add(ancient));
  }
  hs::HistoryRecorder recorder(path, 365);
  QSignalSpy opened(&recorder, &hs::HistoryRecorder::opened);
  QSignalSpy recorded(&recorder, &hs::HistoryRecorder::recorded);
  recorder.record(heard(QStringLiteral("Song A")));
  recorder.record(heard(QStringLiteral("Song A")));
  recorder.record(heard(QStringLiteral("Song B")));
  ASSERT_TRUE(recorded.wait(5000) || recorded.size() > 0);
  for (int i = 0; i < 50 && recorded.size() < 2; ++i) {
    recorded.wait(100);
  }
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0][0].toBool());
  EXPECT_TRUE(opened[0][1].toString().isEmpty());
  ASSERT_EQ(recorded.size(), 2);
  EXPECT_EQ(recorded[1][0].value<hs::HistoryEntry>().title, QStringLiteral("Song B"));

  hs::HistoryDatabase reader;
  ASSERT_TRUE(reader.openForReading(path));
  QStringList titles;
  for (const auto& entry : reader.search(QString(), 10)) {
    titles.append(entry.title);
  }
  EXPECT_EQ(titles, (QStringList{QStringLiteral("Song B"), QStringLiteral("Song A")}));

  QSignalSpy cleared(&recorder, &hs::HistoryRecorder::cleared);
  recorder.clear();
  ASSERT_TRUE(cleared.wait(5000));
  EXPECT_TRUE(cleared[0][0].toBool());
  EXPECT_EQ(reader.count(), 0);
}

TEST(HistoryRecorder, ADamagedDatabaseIsSaidOnceAndRecordingGoesOn) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("history.sqlite"));
  QFile damaged(path);
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
  damaged.write("SQLite format 3\0 and then nothing that makes sense", 50);
  damaged.write(QByteArray(4000, '\x01'));
  damaged.close();

  hs::HistoryRecorder recorder(path, 365);
  QSignalSpy opened(&recorder, &hs::HistoryRecorder::opened);
  QSignalSpy recorded(&recorder, &hs::HistoryRecorder::recorded);
  recorder.record(heard(QStringLiteral("Song A")));
  ASSERT_TRUE(recorded.wait(5000));
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0][0].toBool());
  const QString keptAside = opened[0][1].toString();
  EXPECT_TRUE(QFile::exists(keptAside)) << keptAside.toStdString();
}

}  // namespace
