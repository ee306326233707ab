#include "files.h"
#include "zip_fixture.h"
#include "zip_import.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <cstdint>

#include <gtest/gtest.h>

namespace {

using qv::playlists::extractZip;

class ZipTest : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return m_dir.filePath(name); }
  QString scratch() const { return path(QStringLiteral("work/temp")); }
  //! Every file below the test folder, but the archives themselves.
  QStringList filesOutsideArchives() const {
    QStringList files;
    QDirIterator it(m_dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString file = it.next();
      if (!file.endsWith(QLatin1String(".zip"))) {
        files.append(QDir(m_dir.path()).relativeFilePath(file));
      }
    }
    return files;
  }
  QTemporaryDir m_dir;
};

TEST_F(ZipTest, WritesTopLevelPlaylistsOnlyAndEmptiesTheFolderFirst) {
  ASSERT_TRUE(QDir().mkpath(scratch()));
  ASSERT_TRUE(writeFile(scratch() + QStringLiteral("/left-over.m3u"), "http://old\n"));
  ASSERT_TRUE(writeZip(path(QStringLiteral("a.zip")), {{"a.m3u", "http://a\n"},
                                                       {"sub/", {}},
                                                       {"sub/b.pls", "[playlist]\nFile1=http://b\n"},
                                                       {"inner.zip", "PK"},
                                                       {"c.pls", "[playlist]\nFile1=http://c\n"}}));
  const qv::playlists::ZipExtraction result = extractZip(path(QStringLiteral("a.zip")), scratch());
  ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
  EXPECT_EQ(result.files, (QStringList{scratch() + QStringLiteral("/a.m3u"), scratch() + QStringLiteral("/c.pls")}));
  EXPECT_EQ(readFile(result.files[0]), QByteArray("http://a\n"));
  EXPECT_EQ(QDir(scratch()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), strings({"a.m3u", "c.pls"}));
}

TEST_F(ZipTest, HostileArchivesAreRefusedWithNothingWritten) {
  struct Case {
    const char* what;
    std::vector<ZipMemberSpec> members;
  };
  const std::vector<Case> cases = {
      {"parent segment", {{"ok.m3u", "http://a\n"}, {"../escaped.m3u", "http://x\n"}}},
      {"absolute name", {{"/tmp/abs.m3u", "http://x\n"}}},
      {"drive letter", {{"C:evil.m3u", "http://x\n"}}},
      {"backslash", {{"..\\evil.m3u", "http://x\n"}}},
      {"device name", {{"ok.m3u", "http://a\n"}, {"con.m3u", "http://x\n"}}},
      {"symbolic link", {{"ok.m3u", "http://a\n"}, {"link.m3u", "/etc/passwd", true}}},
      {"nested parent segment", {{"sub/../../x.m3u", "http://x\n"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString archive = path(QStringLiteral("hostile.zip"));
    ASSERT_TRUE(writeZip(archive, c.members));
    const qv::playlists::ZipExtraction result = extractZip(archive, scratch());
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(result.error.contains(archive)) << result.error.toStdString();
    EXPECT_TRUE(result.files.isEmpty());
    EXPECT_EQ(filesOutsideArchives(), QStringList());
  }
}

TEST_F(ZipTest, SizeAndCountLimitsAndDamageRefuseTheArchive) {
  const QString big = path(QStringLiteral("big.zip"));
  ASSERT_TRUE(writeZip(big, {{"a.m3u", QByteArray(40 << 20, '\n')}, {"b.m3u", QByteArray(30 << 20, '\n')}}));
  EXPECT_TRUE(extractZip(big, scratch()).error.contains(QLatin1String("64 MiB")));
  EXPECT_EQ(filesOutsideArchives(), QStringList());

  std::vector<QByteArray> names;
  std::vector<ZipMemberSpec> many;
  for (int i = 0; i <= qv::playlists::kMaxZipMembers; ++i) {
    names.push_back(QByteArray::number(i) + ".m3u");
  }
  for (const QByteArray& name : names) {
    many.push_back({name.constData(), {}});
  }
  const QString crowded = path(QStringLiteral("crowded.zip"));
  ASSERT_TRUE(writeZip(crowded, many));
  EXPECT_TRUE(extractZip(crowded, scratch()).error.contains(QLatin1String("10000")));

  const QString damaged = path(QStringLiteral("damaged.zip"));
  ASSERT_TRUE(writeFile(damaged, "PK\x03\x04 not really a zip"));
  EXPECT_FALSE(extractZip(damaged, scratch()).error.isEmpty());
  EXPECT_EQ(filesOutsideArchives(), QStringList());
}

// `size` bytes of `value`, lowest first; at most 8.
QByteArray littleEndian(std::uint64_t value, int size) {
  QByteArray bytes;
  for (int i = 0; i < size; ++i) {
    bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  return bytes;
}

// Only the end record (and for ZIP64 its locator and record) of an archive that claims a million
// members: the count is refused from there, before any member is listed.
TEST(ZipEndRecord, AnArchiveDeclaringTooManyMembersIsRefusedFromItsEndRecord) {
  const auto endRecord = [](std::uint64_t count, const QByteArray& comment) {
    return littleEndian(0x06054b50, 4) + littleEndian(0, 4) + littleEndian(count, 2) + littleEndian(count, 2) +
           littleEndian(0, 8) + littleEndian(static_cast<std::uint64_t>(comment.size()), 2) + comment;
  };
  const QByteArray padding(1000, 'x');
  const QByteArray zip64Record = littleEndian(0x06064b50, 4) + littleEndian(44, 8) + littleEndian(45, 2) +
                                 littleEndian(45, 2) + littleEndian(0, 8) + littleEndian(1'000'000, 8) +
                                 littleEndian(1'000'000, 8) + littleEndian(0, 8) + littleEndian(0, 8);
  const QByteArray zip64Locator = littleEndian(0x07064b50, 4) + littleEndian(0, 4) +
                                  littleEndian(static_cast<std::uint64_t>(padding.size()), 8) + littleEndian(1, 4);
  const struct {
    const char* name;
    QByteArray bytes;
    const char* count;
  } cases[] = {
      {"plain end record", padding + endRecord(60'000, {}), "60000"},
      {"end record with a comment", padding + endRecord(12'345, QByteArray(300, 'c')), "12345"},
      {"ZIP64 end record", padding + zip64Record + zip64Locator + endRecord(0xFFFF, {}), "1000000"},
  };
  for (const auto& c : cases) {
    const QString error = qv::playlists::listZipBytes(c.bytes).error;
    EXPECT_TRUE(error.contains(QLatin1String(c.count)) && error.contains(QLatin1String("10000")))
        << c.name << ": " << error.toStdString();
  }
}

TEST_F(ZipTest, EncryptedMembersAreSkippedAndNamed) {
  const QString archive = path(QStringLiteral("locked.zip"));
  if (!writeZip(archive, {{"open.m3u", "http://a\n"}, {"secret.m3u", "http://s\n", false, "pw"}})) {
    GTEST_SKIP() << "this libzip cannot write encrypted members";
  }
  const qv::playlists::ZipExtraction result = extractZip(archive, scratch());
  ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
  EXPECT_EQ(result.files, QStringList{scratch() + QStringLiteral("/open.m3u")});
  EXPECT_EQ(result.skipped, QStringList{QStringLiteral("secret.m3u")});
  EXPECT_TRUE(qv::playlists::skippedMembersMessage(archive, result.skipped).contains(QLatin1String("secret.m3u")));
}

TEST(ZipMemberNames, RefusesNamesAFileSystemCouldMisread) {
  for (const char* bad :
       {"", ".", "..", "NUL", "com1.txt", "LPT9", "a:b", "a\\b", "a|b", "a?", "end.", "end ", "tab\there"}) {
    EXPECT_FALSE(qv::playlists::isSafeMemberName(QString::fromUtf8(bad))) << bad;
  }
  for (const char* good : {"list.m3u", "console.m3u", "com10.pls", "Caf\xC3\xA9.xspf", ".hidden"}) {
    EXPECT_TRUE(qv::playlists::isSafeMemberName(QString::fromUtf8(good))) << good;
  }
}

}  // namespace
