#include "default_playlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qv::DefaultPlaylistLoad;
using qv::stations::StationEntry;

class DefaultPlaylistTest : public ::testing::Test {
 protected:
  QString file() const { return m_dir.filePath(QStringLiteral("default_playlist.ini")); }
  void write(const QByteArray& bytes) const {
    QFile out(file());
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
  }
  QByteArray contents() const {
    QFile in(file());
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
  }
  QStringList folder() const { return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name); }

  QTemporaryDir m_dir;
};

QStringList names(const std::vector<StationEntry>& stations) {
  QStringList out;
  for (const StationEntry& entry : stations) {
    out.append(entry.Name);
  }
  return out;
}

QByteArray utf16le(const QString& text) {
  QByteArray bytes("\xFF\xFE");
  bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  return bytes;
}

TEST_F(DefaultPlaylistTest, ReadsTheFilesPeopleAndProgramsWrite) {
  struct Case {
    const char* what;
    QByteArray bytes;
    QStringList names;
    QString firstLink;
  };
  const Case cases[] = {
      {"File/Title scheme with tag and logo",
       "[playlist]\r\nPath=/music/a.pls\r\nFile1=http://a\r\nTitle1=A\r\nTag1=Rock\r\nPreview1=http://a.png\r\n"
       "File2=http://b\r\nTitle2=B\r\n",
       {QStringLiteral("A"), QStringLiteral("B")},
       QStringLiteral("http://a")},
      {"Name/Link scheme",
       "[playlist]\nName1=N1\nLink1=http://n1\nName2=N2\nLink2=http://n2\n",
       {QStringLiteral("N1"), QStringLiteral("N2")},
       QStringLiteral("http://n1")},
      {"both schemes: File/Title wins",
       "[playlist]\nName1=ignored\nLink1=x\nFile1=http://f\nTitle1=T\n",
       {QStringLiteral("T")},
       QStringLiteral("http://f")},
      {"lower-case keys, capital P",
       "[Playlist]\nfile1=http://l\ntitle1=lower\n",
       {QStringLiteral("lower")},
       QStringLiteral("http://l")},
      {"entry 4 missing, 5 present",
       "[playlist]\nFile1=1\nTitle1=S1\nFile2=2\nTitle2=S2\nFile3=3\nTitle3=S3\nFile5=5\nTitle5=S5\n",
       {QStringLiteral("S1"), QStringLiteral("S2"), QStringLiteral("S3")},
       QStringLiteral("1")},
      {"an empty name does not end the list",
       "[playlist]\nFile1=http://x\nTitle1=\nFile2=http://y\nTitle2=Y\n",
       {QString(), QStringLiteral("Y")},
       QStringLiteral("http://x")},
      {"UTF-16 LE with mark",
       utf16le(QStringLiteral("[playlist]\r\nFile1=http://u\r\nTitle1=Ünïcødé ☕\r\n")),
       {QStringLiteral("Ünïcødé ☕")},
       QStringLiteral("http://u")},
      {"Windows-1252 without mark",
       "[playlist]\r\nFile1=http://w\r\nTitle1=Caf\xE9 \x80\r\n",
       {QStringLiteral("Café €")},
       QStringLiteral("http://w")},
      {"neither File1 nor Name1", "[playlist]\nPath=kept\nTitle1=orphan\n", {}, QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write(c.bytes);
    const DefaultPlaylistLoad load = qv::loadDefaultPlaylist(file());
    ASSERT_EQ(load.status, DefaultPlaylistLoad::Status::Loaded) << load.error.toStdString();
    EXPECT_EQ(names(load.stations), c.names);
    if (!load.stations.empty()) {
      EXPECT_EQ(load.stations.front().Link, c.firstLink);
    }
  }
  const DefaultPlaylistLoad first = (write(cases[0].bytes), qv::loadDefaultPlaylist(file()));
  EXPECT_EQ(first.PlaylistPath, QStringLiteral("/music/a.pls"));
  EXPECT_EQ(first.stations.front(), (StationEntry{QStringLiteral("A"), QStringLiteral("http://a"),
                                                  QStringLiteral("Rock"), QStringLiteral("http://a.png")}));
  EXPECT_EQ(first.stations.back().Tag, QString()) << "missing Tag and Preview keys give empty strings";
}

TEST_F(DefaultPlaylistTest, MissingFileIsAnEmptyList) {
  const DefaultPlaylistLoad load = qv::loadDefaultPlaylist(file());
  EXPECT_EQ(load.status, DefaultPlaylistLoad::Status::Missing);
  EXPECT_TRUE(load.stations.empty());
  EXPECT_TRUE(folder().isEmpty());
}

TEST_F(DefaultPlaylistTest, SaveWritesTheLayoutAndKeepsOtherSections) {
  write("; mine\r\n[Extra]\r\nOwner = me\r\n[playlist]\r\nName1=old\r\nLink1=http://old\r\n[extra2]\r\nk=v\r\n");
  const std::vector<StationEntry> stations{
      {QStringLiteral("Jazz FM"), QStringLiteral("http://j"), QStringLiteral("jazz"), QStringLiteral("http://j.png")},
      {QString(), QStringLiteral("http://nameless"), QString(), QString()},
  };
  ASSERT_EQ(qv::saveDefaultPlaylist(file(), QStringLiteral("/home/me/list.pls"), stations), QString());
  EXPECT_EQ(contents(), QByteArray("\xEF\xBB\xBF; mine\r\n[Extra]\r\nOwner=me\r\n\r\n[extra2]\r\nk=v\r\n\r\n"
                                   "[playlist]\r\nPath=/home/me/list.pls\r\n"
                                   "File1=http://j\r\nTitle1=Jazz FM\r\nTag1=jazz\r\nPreview1=http://j.png\r\n"
                                   "File2=http://nameless\r\nTitle2=\r\nTag2=\r\nPreview2=\r\n\r\n"));
  EXPECT_EQ(folder(), QStringList(QStringLiteral("default_playlist.ini"))) << "no temporary file left behind";

  const DefaultPlaylistLoad load = qv::loadDefaultPlaylist(file());
  EXPECT_EQ(load.stations, stations) << "round trip, the nameless entry included";
  EXPECT_EQ(load.PlaylistPath, QStringLiteral("/home/me/list.pls"));

  ASSERT_EQ(qv::saveDefaultPlaylist(file(), QString(), {}), QString());
  EXPECT_TRUE(contents().endsWith("[playlist]\r\nPath=\r\n\r\n")) << "an empty list is the Path line only";
}

// A station added from the directory keeps its id through a save and a load; the key comes after
// the four that every reader knows, so a reader without it sees the same stations.
TEST_F(DefaultPlaylistTest, TheDirectoryIdOfAStationSurvivesARoundTrip) {
  StationEntry fromDirectory{QStringLiteral("Found FM"), QStringLiteral("http://f"), QStringLiteral("pop"), QString()};
  fromDirectory.StationUuid = QStringLiteral("9617a958-0601-11e8-ae97-52543be04c81");
  const std::vector<StationEntry> stations{{QStringLiteral("Mine"), QStringLiteral("http://m"), QString(), QString()},
                                           fromDirectory};
  ASSERT_EQ(qv::saveDefaultPlaylist(file(), QString(), stations), QString());
  EXPECT_TRUE(contents().endsWith("Preview2=\r\nstationuuid2=9617a958-0601-11e8-ae97-52543be04c81\r\n\r\n"))
      << contents().toStdString();
  EXPECT_FALSE(contents().contains("stationuuid1")) << "no key for a station without an id";
  EXPECT_EQ(qv::loadDefaultPlaylist(file()).stations, stations);
}

TEST_F(DefaultPlaylistTest, LineBreaksInValuesCannotInjectKeys) {
  const std::vector<StationEntry> stations{{QStringLiteral("Evil\r\nFile2=http://injected\nTitle2=Injected"),
                                            QStringLiteral("http://e"), QString(), QString()}};
  ASSERT_EQ(qv::saveDefaultPlaylist(file(), QString(), stations), QString());
  const DefaultPlaylistLoad load = qv::loadDefaultPlaylist(file());
  ASSERT_EQ(load.stations.size(), 1U);
  EXPECT_EQ(load.stations[0].Name, QStringLiteral("Evil  File2=http://injected Title2=Injected"));
}

TEST_F(DefaultPlaylistTest, AnUnreadableFileIsKeptAsideAndNeverOverwritten) {
  const QByteArray damaged("\xEF\xBB\xBF[playlist]\r\nFile1=http://a\r\nTitle1=Caf\xE9\r\n");
  write(damaged);
  const DefaultPlaylistLoad load = qv::loadDefaultPlaylist(file());
  EXPECT_EQ(load.status, DefaultPlaylistLoad::Status::Unreadable);
  EXPECT_TRUE(load.stations.empty());
  ASSERT_FALSE(load.keptAsideAs.isEmpty());
  EXPECT_TRUE(load.error.contains(QDir::toNativeSeparators(file()))) << load.error.toStdString();
  EXPECT_TRUE(load.error.contains(QDir::toNativeSeparators(load.keptAsideAs))) << load.error.toStdString();
  QFile aside(load.keptAsideAs);
  ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
  EXPECT_EQ(aside.readAll(), damaged);
  EXPECT_TRUE(QFileInfo(load.keptAsideAs).fileName().startsWith(QLatin1String("default_playlist.unreadable-")));
  EXPECT_TRUE(load.keptAsideAs.endsWith(QLatin1String(".ini")));

  // A file that turns unreadable while the program runs is also moved aside before the save.
  write(damaged);
  ASSERT_EQ(qv::saveDefaultPlaylist(file(), QString(), {}), QString());
  EXPECT_EQ(folder().size(), 3);
  for (const QString& name : folder()) {
    if (name != QLatin1String("default_playlist.ini")) {
      QFile kept(m_dir.filePath(name));
      ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
      EXPECT_EQ(kept.readAll(), damaged) << name.toStdString();
    }
  }
}

}  // namespace
