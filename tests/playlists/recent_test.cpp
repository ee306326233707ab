#include "files.h"
#include "recent_playlists.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qv::playlists::RecentPlaylists;

QString p(int n) {
  return QStringLiteral("/lists/list%1.m3u").arg(n);
}

TEST(RecentPlaylists, KeepsTheTenNewestAndMovesAReopenedOneToTheTop) {
  RecentPlaylists recent;
  for (int n = 1; n <= 11; ++n) {
    recent.AddRecentFile(p(n));
  }
  QStringList expected;
  for (int n = 11; n >= 2; --n) {
    expected.append(QStringLiteral("list%1").arg(n));
  }
  EXPECT_EQ(recent.rows(), expected);

  recent.AddRecentFile(p(8));  // slot 4
  EXPECT_EQ(recent.rows().mid(0, 5), strings({"list8", "list11", "list10", "list9", "list7"}));
  EXPECT_EQ(recent.rows().size(), 10);
  EXPECT_EQ(recent.RecentMarker(), 1);

  recent.AddRecentFile(QStringLiteral("/lists/LIST8.m3u"));  // letter case counts
  EXPECT_EQ(recent.rows().mid(0, 2), strings({"LIST8", "list8"}));
}

TEST(RecentPlaylists, DisplayNames) {
  EXPECT_EQ(RecentPlaylists::displayName(QStringLiteral("C:\\Lists\\My Radio.m3u")), QStringLiteral("My Radio"));
  EXPECT_EQ(RecentPlaylists::displayName(QStringLiteral("/a.b/list.v2.pls")), QStringLiteral("list.v2"));
  EXPECT_EQ(RecentPlaylists::displayName(QStringLiteral("/a/noext")), QStringLiteral("noext"));
}

TEST(RecentPlaylists, LoadKeepsGapsMarksTheCurrentFileAndSavesBackUnderTheSameNumbers) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("recent_playlists.ini"));
  ASSERT_TRUE(writeFile(file,
                        "[other]\nx=1\n[recent]\nPath1=/a.m3u\nName1=a\nPath3=/c.m3u\nName3=c\n"
                        "Path7=/g.m3u\nName7=g\nPath11=/k.m3u\nName11=k\n"));
  RecentPlaylists recent;
  ASSERT_TRUE(recent.load(file, QStringLiteral("/g.m3u"), QStringLiteral("Unsaved")).isEmpty());
  EXPECT_EQ(recent.rows(), strings({"a", "c", "g"}));
  EXPECT_EQ(recent.RecentMarker(), 3);
  EXPECT_EQ(recent.pathOfRow(1), QStringLiteral("/c.m3u"));

  ASSERT_TRUE(recent.save(file).isEmpty());
  EXPECT_EQ(readFile(file), QByteArray("\xEF\xBB\xBF[other]\r\nx=1\r\n\r\n[recent]\r\nPath1=/a.m3u\r\nName1=a\r\n"
                                       "Path3=/c.m3u\r\nName3=c\r\nPath7=/g.m3u\r\nName7=g\r\n\r\n"));
}

TEST(RecentPlaylists, TheBoldMarkFollowsItsEntryWhenRowsAboveGo) {
  RecentPlaylists recent;
  for (int n = 1; n <= 5; ++n) {
    recent.AddRecentFile(p(n));
  }
  recent.AddRecentFile(p(3));  // rows: 3 5 4 2 1, bold row 1
  recent.removeRow(1);
  EXPECT_EQ(recent.RecentMarker(), 1);
  recent.AddRecentFile(p(1));  // rows: 1 3 4 2
  recent.removeRow(3);
  EXPECT_EQ(recent.RecentMarker(), 1);
  recent.removeRow(0);
  EXPECT_EQ(recent.RecentMarker(), 0);
  EXPECT_EQ(recent.rows(), strings({"list3", "list4"}));

  RecentPlaylists marked;
  marked.AddRecentFile(p(1));
  marked.AddRecentFile(p(2));
  ASSERT_TRUE(marked.rows().size() == 2);
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("r.ini"));
  ASSERT_TRUE(marked.save(file).isEmpty());
  RecentPlaylists loaded;
  loaded.load(file, p(1), QStringLiteral("Unsaved"));
  EXPECT_EQ(loaded.RecentMarker(), 2);
  loaded.removeRow(0);
  EXPECT_EQ(loaded.RecentMarker(), 1);
}

TEST(RecentPlaylists, AnEmptyListShowsOnePlaceholderRowThatOpensNothing) {
  QTemporaryDir dir;
  RecentPlaylists recent;
  EXPECT_TRUE(recent.load(dir.filePath(QStringLiteral("missing.ini")), QString(), QStringLiteral("Unsaved")).isEmpty());
  EXPECT_EQ(recent.rows(), QStringList{QStringLiteral("Unsaved")});
  EXPECT_TRUE(recent.pathOfRow(0).isEmpty());

  recent.fillPlaceholder(QStringLiteral("Unsaved"), QStringLiteral("/in/merged.m3u"), QStringLiteral("http://first"));
  recent.RebuildRecentPL();
  EXPECT_EQ(recent.rows(), QStringList{QStringLiteral("http://first")});
  EXPECT_EQ(recent.pathOfRow(0), QStringLiteral("/in/merged.m3u"));

  recent.clear();
  const QString file = dir.filePath(QStringLiteral("r.ini"));
  ASSERT_TRUE(recent.save(file).isEmpty());
  RecentPlaylists reloaded;
  reloaded.load(file, QString(), QStringLiteral("Unsaved"));
  EXPECT_EQ(reloaded.rows(), QStringList{QStringLiteral("Unsaved")});
}

}  // namespace

namespace {

TEST(RecentPlaylists, AnUnreadableFileIsKeptAsideNotOverwritten) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("recent_playlists.ini"));
  const QByteArray damaged("\xEF\xBB\xBF[recent]\nPath1=/a\xFF.m3u\n");
  ASSERT_TRUE(writeFile(file, damaged));
  RecentPlaylists recent;
  EXPECT_TRUE(recent.load(file, QString(), QStringLiteral("Unsaved")).contains(file));
  EXPECT_EQ(recent.rows(), QStringList{QStringLiteral("Unsaved")});

  recent.AddRecentFile(QStringLiteral("/b.m3u"));
  ASSERT_TRUE(recent.save(file).isEmpty());
  const QStringList kept = QDir(dir.path()).entryList({QStringLiteral("recent_playlists.unreadable-*")}, QDir::Files);
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(readFile(dir.filePath(kept[0])), damaged);
  EXPECT_TRUE(readFile(file).contains("Path1=/b.m3u"));
}

}  // namespace
