#include "settings/reg_file_backend.h"
#include "test_profile.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace settings = qv::settings;

namespace {

QStringList filesBeside(const QString& file) {
  return QFileInfo(file).dir().entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

TEST(RegFileBackend, OpeningCreatesTheKeyAndItsFolders) {
  TestProfile profile;
  settings::RegFileBackend backend(profile.settingsFile());
  auto key = backend.openKey();
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(QFileInfo::exists(profile.settingsFile())) << "nothing is written before the key is closed";
  EXPECT_TRUE(key->close());
  EXPECT_EQ(profile.settingsText(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\n\n");
}

TEST(RegFileBackend, ClosingWithoutChangesLeavesTheFileAlone) {
  TestProfile profile;
  profile.writeSettings({QStringLiteral("\"Volume\"=dword:00000005")});
  const QByteArray before = profile.settingsText();
  settings::RegFileBackend backend(profile.settingsFile());
  auto key = backend.openKey();
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->close());
  EXPECT_EQ(profile.settingsText(), before);
  EXPECT_EQ(filesBeside(profile.settingsFile()), QStringList{QStringLiteral("Quorventale.reg")});
}

TEST(RegFileBackend, ADamagedFileIsKeptAsideWhenRewritten) {
  TestProfile profile;
  profile.writeSettings({QStringLiteral("\"Volume\"=dword:00000005"), QStringLiteral("#### not a value")});
  const QByteArray damaged = profile.settingsText();
  settings::RegFileBackend backend(profile.settingsFile());
  {
    auto key = backend.openKey();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->value(QStringLiteral("Volume"))->dword, 5U);
    key->setDword(QStringLiteral("Preview"), 128);
    EXPECT_TRUE(key->close());
  }
  const QStringList files = filesBeside(profile.settingsFile());
  ASSERT_EQ(files.size(), 2) << files.join(QLatin1Char(' ')).toStdString();
  EXPECT_EQ(files[0], QStringLiteral("Quorventale.reg"));
  EXPECT_TRUE(files[1].startsWith(QLatin1String("Quorventale.unreadable-")) &&
              files[1].endsWith(QLatin1String(".reg")));
  QFile aside(QFileInfo(profile.settingsFile()).dir().filePath(files[1]));
  ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
  EXPECT_EQ(aside.readAll(), damaged);

  auto key = backend.openKey();
  EXPECT_EQ(key->value(QStringLiteral("Volume"))->dword, 5U);
  EXPECT_EQ(key->value(QStringLiteral("Preview"))->dword, 128U);
}

TEST(RegFileBackend, AnOversizedFileIsNotReadButKept) {
  TestProfile profile;
  profile.writeSettings({QString(settings::RegFileBackend::kMaxFileBytes, QLatin1Char('x'))});
  settings::RegFileBackend backend(profile.settingsFile());
  auto key = backend.openKey();
  ASSERT_NE(key, nullptr);
  key->setDword(QStringLiteral("Volume"), 1);
  EXPECT_TRUE(key->close());
  EXPECT_EQ(filesBeside(profile.settingsFile()).size(), 2);
  EXPECT_LT(QFileInfo(profile.settingsFile()).size(), 200);
}

TEST(RegFileBackend, AFolderInPlaceOfTheFileCannotBeOpened) {
  TestProfile profile;
  QDir().mkpath(profile.settingsFile());
  settings::RegFileBackend backend(profile.settingsFile());
  EXPECT_EQ(backend.openKey(), nullptr);
}

}  // namespace
