// The learned station gains: kept across runs by link, and a file that cannot be used leaves the
// run without memory instead of failing it.
#include "levelling_memory.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qv::playback::LevellingMemory;

TEST(LevellingMemory, AGainIsKeptPerLinkForTheNextRun) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("levelling.sqlite"));
  const QString loud = QStringLiteral("http://127.0.0.1:8000/loud");
  const QString quiet = QStringLiteral("http://127.0.0.1:8000/quiet?x='; DROP TABLE station_gain; --");
  {
    LevellingMemory memory(path);
    EXPECT_FALSE(QFile::exists(path)) << "made with the first gain kept";
    EXPECT_EQ(memory.gainFor(loud), std::nullopt);
    memory.remember(loud, -7.5F);
    memory.remember(quiet, 9.25F);
    memory.remember(quiet, 9.0F);
    memory.remember(QString(), 3.0F);                                // no station: nothing to keep
    memory.remember(loud, std::numeric_limits<float>::quiet_NaN());  // never a gain
  }
  LevellingMemory again(path);
  EXPECT_TRUE(again.isOpen());
  EXPECT_EQ(again.gainFor(loud), -7.5F);
  EXPECT_EQ(again.gainFor(quiet), 9.0F);
  EXPECT_EQ(again.gainFor(QString()), std::nullopt);
}

TEST(LevellingMemory, AnUnusableFileLeavesAMemoryForThisRunOnly) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("levelling.sqlite"));
  {
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
  }
  LevellingMemory memory(path);
  EXPECT_FALSE(memory.isOpen());
  memory.remember(QStringLiteral("http://a/"), 4.0F);
  EXPECT_EQ(memory.gainFor(QStringLiteral("http://a/")), 4.0F);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray(4096, 'x')) << "the file is left as it was";
}

}  // namespace
