#include "files.h"
#include "playlist_opener.h"
#include "scripted_answers.h"
#include "zip_fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace {

using qv::playlists::MergeAnswer;
using qv::playlists::PlaylistOpener;
using qv::playlists::SaveAnswer;
using qv::stations::StationEntry;

//! The main window's state and scripted answers to the questions.
class OpenerTest : public ::testing::Test {
 protected:
  OpenerTest()
      : m_opener({m_stations, m_recent, m_playlistPath, m_unsaved},
                 {[this] { ++m_searchCleared; },
                  [this] {
                    ++m_mergeAsked;
                    return takeAnswer(m_mergeAnswers, MergeAnswer::Cancel);
                  },
                  [this] {
                    ++m_saveAsked;
                    return takeAnswer(m_saveAnswers, SaveAnswer::Cancel);
                  },
                  [this] { ++m_saved; }, [this](const QString& message) { m_messages.append(message); },
                  [this] { ++m_recentChanged; }}) {
    m_opener.unsavedText = QStringLiteral("Unsaved");
    m_opener.tempFolder = m_dir.filePath(QStringLiteral("data/temp"));
    m_stations.replaceAll({{QStringLiteral("Old 1"), QStringLiteral("http://o1"), {}, {}},
                           {QStringLiteral("Old 2"), QStringLiteral("http://o2"), {}, {}},
                           {QStringLiteral("Old 3"), QStringLiteral("http://o3"), {}, {}}});
    m_recent.load(m_dir.filePath(QStringLiteral("none.ini")), QString(), QStringLiteral("Unsaved"));
  }

  QString file(const char* name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(QString::fromUtf8(name));
    EXPECT_TRUE(writeFile(path, bytes));
    return path;
  }
  QStringList names() const {
    QStringList out;
    for (const StationEntry& entry : m_stations.PLAY_ARRAY()) {
      out.append(entry.Name);
    }
    return out;
  }

  QTemporaryDir m_dir;
  qv::stations::StationList m_stations;
  qv::playlists::RecentPlaylists m_recent;
  QString m_playlistPath;
  bool m_unsaved = false;
  std::deque<MergeAnswer> m_mergeAnswers;
  std::deque<SaveAnswer> m_saveAnswers;
  int m_searchCleared = 0, m_mergeAsked = 0, m_saveAsked = 0, m_saved = 0, m_recentChanged = 0;
  QStringList m_messages;
  PlaylistOpener m_opener;
};

TEST_F(OpenerTest, AddAppendsReplaceSwapsAndRecordsCancelKeepsEverything) {
  const QString two = file("two.m3u", "#EXTINF:-1,New 1\nhttp://n1\nhttp://n2\n");
  m_mergeAnswers = {MergeAnswer::Cancel, MergeAnswer::Add, MergeAnswer::Replace};

  m_opener.OpenPL(two);
  EXPECT_EQ(names(), strings({"Old 1", "Old 2", "Old 3"}));
  EXPECT_EQ(m_recent.rows(), QStringList{QStringLiteral("Unsaved")});

  m_opener.OpenPL(two);
  EXPECT_EQ(names(), strings({"Old 1", "Old 2", "Old 3", "New 1", "http://n2"}));
  // The placeholder takes the merged file, shown by the list's first link.
  EXPECT_EQ(m_recent.recentSlots()[0], (qv::playlists::RecentSlot{two, QStringLiteral("http://o1")}));
  EXPECT_TRUE(m_playlistPath.isEmpty());

  m_opener.OpenPL(two);
  EXPECT_EQ(names(), strings({"New 1", "http://n2"}));
  EXPECT_EQ(m_playlistPath, two);
  EXPECT_EQ(m_recent.rows().front(), QStringLiteral("two"));
  EXPECT_EQ(m_recent.RecentMarker(), 1);
  EXPECT_EQ(m_recentChanged, 1);  // only "replace" moves the recent list
  EXPECT_EQ(m_searchCleared, 3);
  EXPECT_FALSE(m_unsaved);
}

TEST_F(OpenerTest, UnreadableOrEmptyFilesAskNothingAndChangeNothing) {
  const QString empty = file("empty.pls", "[playlist]\nnumberofentries=0\n");
  const QString broken = file("broken.m3u", "http://a\n#EXTINF:-1,Last");
  const QString schemes = file("schemes.txt", "file:///etc/passwd http\nsmb://share/http\n");
  // A title nesting 200,000 elements: refused at the depth bound, not parsed for minutes.
  const QString deep = file("deep.xspf", "<playlist><trackList><track><title>" + QByteArray("<b>").repeated(200'000));
  for (const QString& path : {empty, broken, schemes, deep}) {
    m_opener.OpenPL(path);
  }
  EXPECT_EQ(m_mergeAsked, 0);
  EXPECT_EQ(names(), strings({"Old 1", "Old 2", "Old 3"}));
  ASSERT_EQ(m_messages.size(), 3);
  EXPECT_TRUE(m_messages[0].contains(broken));
  EXPECT_TRUE(m_messages[1].startsWith(QLatin1String("2 links of")));
  EXPECT_TRUE(m_messages[2].contains(deep) && m_messages[2].contains(QLatin1String("64 levels")));
}

TEST_F(OpenerTest, DroppedFilesAskTheSaveQuestionBeforeEachAndCancelStopsThemAll) {
  const QString a = file("a.m3u", "http://a\n");
  const QString b = file("b.m3u", "http://b\n");
  m_unsaved = true;
  m_saveAnswers = {SaveAnswer::Cancel};
  m_opener.openFiles({a, b});
  EXPECT_EQ(m_saveAsked, 1);
  EXPECT_EQ(m_mergeAsked, 0);

  m_saveAnswers = {SaveAnswer::Yes, SaveAnswer::No};
  m_mergeAnswers = {MergeAnswer::Add};
  m_opener.openFiles({a, b});
  EXPECT_EQ(m_saved, 1);
  EXPECT_EQ(names(), strings({"Old 1", "Old 2", "Old 3", "http://b"}));
}

TEST_F(OpenerTest, AZipWithTwoPlaylistsAsksTwiceAndLeavesNoTemporaryFolder) {
  const QString archive = m_dir.filePath(QStringLiteral("lists.zip"));
  ASSERT_TRUE(
      writeZip(archive, {{"a.m3u", "#EXTINF:-1,A\nhttp://a\n"}, {"b.pls", "[playlist]\nFile1=http://b\nTitle1=B\n"}}));
  m_mergeAnswers = {MergeAnswer::Replace, MergeAnswer::Add};
  m_opener.openFiles({QStringLiteral(" ") + archive});
  EXPECT_EQ(m_mergeAsked, 2);
  EXPECT_EQ(names(), strings({"A", "B"}));
  EXPECT_FALSE(QDir(m_opener.tempFolder).exists());
  EXPECT_TRUE(m_messages.isEmpty());
}

// The unpacked member is deleted once read: what the list and the recent entry name is the archive.
TEST_F(OpenerTest, AZipMemberTakenWithReplaceIsRecordedAsItsArchiveAndReopensFromIt) {
  const QString archive = m_dir.filePath(QStringLiteral("lists.zip"));
  ASSERT_TRUE(
      writeZip(archive, {{"a.m3u", "#EXTINF:-1,A\nhttp://a\n"}, {"b.pls", "[playlist]\nFile1=http://b\nTitle1=B\n"}}));
  m_mergeAnswers = {MergeAnswer::Replace, MergeAnswer::Cancel};
  m_opener.openFiles({archive});
  EXPECT_EQ(names(), strings({"A"}));
  EXPECT_EQ(m_playlistPath, archive);
  EXPECT_EQ(m_recent.recentSlots()[0].path, archive);
  EXPECT_EQ(m_recent.rows().front(), QStringLiteral("lists"));

  // The recent row opens the archive again and asks for each member.
  m_mergeAnswers = {MergeAnswer::Cancel, MergeAnswer::Replace};
  m_opener.openRecentRow(0);
  EXPECT_EQ(m_mergeAsked, 4);
  EXPECT_EQ(names(), strings({"B"}));
  EXPECT_EQ(m_playlistPath, archive);

  // Unsaved changes answered No: the first member taken replaces the list, the next one adds.
  m_unsaved = true;
  m_saveAnswers = {SaveAnswer::No};
  m_mergeAnswers = {MergeAnswer::Add, MergeAnswer::Add};
  m_opener.openRecentRow(0);
  EXPECT_EQ(m_saveAsked, 1);
  EXPECT_EQ(names(), strings({"A", "B"}));
  EXPECT_EQ(m_recent.recentSlots()[0].path, archive);
  EXPECT_TRUE(m_messages.isEmpty());
  EXPECT_FALSE(QDir(m_opener.tempFolder).exists());
}

TEST_F(OpenerTest, ARecentRowAnsweredNoReplacesOnlyOnceTheImportGoesAhead) {
  const QString list = file("recent.m3u", "http://r\n");
  m_recent.AddRecentFile(list);
  m_recent.AddRecentFile(m_dir.filePath(QStringLiteral("gone.m3u")));
  m_unsaved = true;

  m_saveAnswers = {SaveAnswer::No, SaveAnswer::No};
  m_opener.openRecentRow(1);  // the question is cancelled
  m_opener.openRecentRow(0);  // the file is gone
  EXPECT_EQ(names(), strings({"Old 1", "Old 2", "Old 3"}));
  EXPECT_EQ(m_messages.size(), 1);

  m_saveAnswers = {SaveAnswer::No};
  m_mergeAnswers = {MergeAnswer::Add};
  m_opener.openRecentRow(1);
  EXPECT_EQ(names(), QStringList{QStringLiteral("http://r")});

  m_saveAnswers = {SaveAnswer::Yes};
  m_opener.openRecentRow(1);
  EXPECT_EQ(m_saved, 1);
  EXPECT_EQ(m_mergeAsked, 2);
}

}  // namespace
