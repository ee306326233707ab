// The history database on a throw-away folder: round trip, the repeat rule, search as you type,
// expiry, a damaged file kept aside, and the CSV export.
#include "history_database.h"
#include "history_csv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace hs = qv::history;

namespace {

const QDateTime kMorning(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);

hs::HistoryEntry heard(const QString& title, const QString& station = QStringLiteral("Radio One"), int minute = 0) {
  return {0, kMorning.addSecs(60 * minute), station, QStringLiteral("http://radio.example/") + station, title};
}

QStringList titles(const QList<hs::HistoryEntry>& entries) {
  QStringList result;
  for (const auto& entry : entries) {
    result.append(entry.title);
  }
  return result;
}

class HistoryDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    const hs::OpenResult opened = db.open(path());
    ASSERT_TRUE(opened.ok) << opened.error.toStdString();
    EXPECT_TRUE(opened.keptAside.isEmpty());
  }
  QString path() const { return folder.filePath(QStringLiteral("history.sqlite")); }

  QTemporaryDir folder;
  hs::HistoryDatabase db;
};

TEST_F(HistoryDatabaseTest, TitlesComeBackNewestFirstWithEveryField) {
  const hs::HistoryEntry first = heard(QStringLiteral("Björk - Jóga"), QStringLiteral("Nordic"), 0);
  const hs::HistoryEntry second = heard(QStringLiteral("AC/DC - T.N.T."), QStringLiteral("Rock"), 3);
  ASSERT_TRUE(db.add(first));
  ASSERT_TRUE(db.add(second));

  // A second connection (the window's) reads what the writer stored.
  hs::HistoryDatabase reader;
  ASSERT_TRUE(reader.openForReading(path()));
  const QList<hs::HistoryEntry> entries = reader.search(QString(), 10);
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0].title, second.title);
  EXPECT_EQ(entries[0].stationName, second.stationName);
  EXPECT_EQ(entries[0].stationLink, second.stationLink);
  EXPECT_EQ(entries[0].heardAt, second.heardAt);
  EXPECT_EQ(entries[1].title, first.title);
  EXPECT_GT(entries[0].id, entries[1].id);
  EXPECT_EQ(reader.search(QString(), 1).size(), 1);
}

TEST_F(HistoryDatabaseTest, TheSameTitleTwiceInARowOnOneStationCountsOnce) {
  struct Step {
    const char* title;
    const char* station;
    bool stored;
  };
  const Step steps[] = {
      {"Song A", "One", true}, {"Song A", "One", false},  // repeated report, or heard again after a reconnection
      {"Song B", "One", true}, {"Song A", "One", true},   // not in a row
      {"Song A", "Two", true},                            // the same title on another station
      {"Song A", "One", true}, {"", "One", true},         // a station that clears its title
      {"", "One", false},
  };
  int minute = 0;
  for (const Step& step : steps) {
    EXPECT_EQ(db.add(heard(QString::fromUtf8(step.title), QString::fromUtf8(step.station), ++minute)), step.stored)
        << step.title << " on " << step.station;
  }
  EXPECT_EQ(db.count(), 6);
}

TEST_F(HistoryDatabaseTest, SearchFindsWordBeginningsInTitlesAndStationNames) {
  const char* const stored[][2] = {
      {"Massive Attack - Teardrop", "Trip Radio"},
      {"Björk - Jóga", "Nordic Sounds"},
      {"AC/DC - T.N.T.", "Rock Antenna"},
      {"Teardrops - Womack", "Soul FM"},
      {"100% Pure Love", "Dance 90"},
  };
  int minute = 0;
  for (const auto& row : stored) {
    ASSERT_TRUE(db.add(heard(QString::fromUtf8(row[0]), QString::fromUtf8(row[1]), ++minute)));
  }
  struct Case {
    const char* typed;
    std::vector<const char*> found;  // newest first
  };
  const Case cases[] = {
      {"t", {"Teardrops - Womack", "AC/DC - T.N.T.", "Massive Attack - Teardrop"}},
      {"tear", {"Teardrops - Womack", "Massive Attack - Teardrop"}},
      {"teardrop att", {"Massive Attack - Teardrop"}},
      {"TEARDROPS", {"Teardrops - Womack"}},
      {"jog", {"Björk - Jóga"}},  // accents need not be typed
      {"bjö", {"Björk - Jóga"}},
      {"ac/dc", {"AC/DC - T.N.T."}},
      {"nordic", {"Björk - Jóga"}},  // station names too
      {"100%", {"100% Pure Love"}},
      {"zzz", {}},
      // query syntax typed by the user is taken as words, never as an error
      {"\"", {"100% Pure Love", "Teardrops - Womack", "AC/DC - T.N.T.", "Björk - Jóga", "Massive Attack - Teardrop"}},
      {"tear OR soul", {}},
      {"NEAR(tear", {}},
      {"tear*", {"Teardrops - Womack", "Massive Attack - Teardrop"}},
      {"title:tear", {}},
  };
  for (const Case& c : cases) {
    QStringList found;
    for (const char* title : c.found) {
      found.append(QString::fromUtf8(title));
    }
    EXPECT_EQ(titles(db.search(QString::fromUtf8(c.typed), 50)), found) << c.typed;
  }
  EXPECT_EQ(db.search(QStringLiteral("t"), 2).size(), 2);
}

TEST_F(HistoryDatabaseTest, OldTitlesExpireAndClearEmptiesTheSearchToo) {
  ASSERT_TRUE(db.add(heard(QStringLiteral("Old song"), QStringLiteral("One"), 0)));
  ASSERT_TRUE(db.add(heard(QStringLiteral("New song"), QStringLiteral("One"), 60)));
  EXPECT_EQ(db.removeOlderThan(kMorning.addSecs(30 * 60)), 1);
  EXPECT_EQ(titles(db.search(QString(), 10)), QStringList{QStringLiteral("New song")});
  EXPECT_TRUE(db.search(QStringLiteral("old"), 10).isEmpty());

  ASSERT_TRUE(db.clear());
  EXPECT_EQ(db.count(), 0);
  EXPECT_TRUE(db.search(QStringLiteral("new"), 10).isEmpty());
  // The repeat rule looks at what is stored: after clearing, the same title is new again.
  EXPECT_TRUE(db.add(heard(QStringLiteral("New song"), QStringLiteral("One"), 61)));
}

TEST(HistoryDatabaseDamage, ADamagedFileIsKeptAsideAndANewOneBegins) {
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("history.sqlite"));
  {
    hs::HistoryDatabase db;
    ASSERT_TRUE(db.open(path).ok);
    for (int i = 0; i < 200; ++i) {
      ASSERT_TRUE(db.add(heard(QStringLiteral("Song %1").arg(i), QStringLiteral("One"), i)));
    }
  }
  // Scribble over the middle of the file, as a failing disk or a crash of another program would.
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QByteArray original = file.readAll();
  ASSERT_GT(original.size(), 8192);
  file.seek(4096);
  file.write(QByteArray(original.size() - 4096, '\x5a'));
  file.close();

  hs::HistoryDatabase db;
  const hs::OpenResult opened = db.open(path);
  ASSERT_TRUE(opened.ok) << opened.error.toStdString();
  ASSERT_FALSE(opened.keptAside.isEmpty());
  EXPECT_TRUE(QFileInfo(opened.keptAside).fileName().startsWith(QStringLiteral("history.unreadable-")));
  QFile kept(opened.keptAside);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll().left(4096), original.left(4096));  // nothing of it is lost
  EXPECT_EQ(db.count(), 0);
  EXPECT_TRUE(db.add(heard(QStringLiteral("After"), QStringLiteral("One"))));

  // A file that is no database at all goes the same way.
  hs::HistoryDatabase other;
  const QString textPath = folder.filePath(QStringLiteral("notes.sqlite"));
  QFile text(textPath);
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write(QByteArray(2000, 'x'));
  text.close();
  const hs::OpenResult reopened = other.open(textPath);
  EXPECT_TRUE(reopened.ok);
  EXPECT_FALSE(reopened.keptAside.isEmpty());
}

TEST(HistoryCsv, FieldsAreQuotedAndTheExportReplacesTheFileWhole) {
  const QList<hs::HistoryEntry> entries{
      {1, kMorning, QStringLiteral("Radio \"One\""), QStringLiteral("http://a/b?x=1,2"),
       QStringLiteral("Line\nbreak, comma; Jóga")},
  };
  EXPECT_EQ(hs::historyCsv(entries),
            QByteArray("\"Time (UTC)\",\"Station\",\"Station link\",\"Title\"\r\n"
                       "\"2026-03-01T08:00:00Z\",\"Radio \"\"One\"\"\",\"http://a/b?x=1,2\",\"Line\nbreak, comma; "
                       "J\xc3\xb3ga\"\r\n"));

  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("heard.csv"));
  EXPECT_TRUE(hs::exportHistoryCsv(path, entries).isEmpty());
  QFile written(path);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), hs::historyCsv(entries));
  EXPECT_FALSE(hs::exportHistoryCsv(folder.filePath(QStringLiteral("no/such/folder/heard.csv")), entries).isEmpty());
}

}  // namespace
