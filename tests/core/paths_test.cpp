#include "paths.h"
#include "test_profile.h"

#include <QDir>

#include <gtest/gtest.h>

namespace paths = qv::paths;

namespace {

TEST(Paths, FoldersFollowTheXdgVariables) {
  TestProfile profile;
  EXPECT_EQ(paths::DataFolder(), profile.root() + QStringLiteral("/data/Quorventale"));
  EXPECT_EQ(paths::CoversFolder(), profile.root() + QStringLiteral("/data/Quorventale/Covers"));
  EXPECT_EQ(paths::TempFolder(), profile.root() + QStringLiteral("/data/Quorventale/temp"));
  EXPECT_EQ(paths::settingsFile(), profile.root() + QStringLiteral("/config/Pelworn/Quorventale.reg"));

  // Unset, empty or relative: the home folder's defaults.
  for (const char* value : {"", "relative/data"}) {
    qputenv("XDG_DATA_HOME", value);
    qputenv("XDG_CONFIG_HOME", value);
    EXPECT_EQ(paths::DataFolder(), profile.root() + QStringLiteral("/home/.local/share/Quorventale"));
    EXPECT_EQ(paths::settingsFile(), profile.root() + QStringLiteral("/home/.config/Pelworn/Quorventale.reg"));
  }
}

TEST(Paths, LanguagesAreLookedUpBesideTheProgramThenInTheDataFolders) {
  TestProfile profile;
  const QString besideProgram = paths::ProgramFolder() + QStringLiteral("/Languages");
  ASSERT_FALSE(QDir(besideProgram).exists()) << "the test build must not carry a Languages folder";
  EXPECT_EQ(paths::LanguagesFolder(), besideProgram) << "none exists: the folder beside the program is named";

  profile.addLanguageFiles({QStringLiteral("German.txt")});
  EXPECT_EQ(QDir(paths::LanguagesFolder()), QDir(profile.languagesFolder()));
  EXPECT_EQ(QDir(QFileInfo(paths::languageFile(QStringLiteral("German"))).absolutePath()),
            QDir(profile.languagesFolder()));
  EXPECT_TRUE(paths::languageFile(QStringLiteral("German")).endsWith(QLatin1String("/German.txt")));
}

}  // namespace
