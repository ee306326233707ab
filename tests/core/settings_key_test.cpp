#include "settings/settings_key.h"
#include "settings/reg_file_backend.h"
#include "test_profile.h"

#include <gtest/gtest.h>

namespace settings = qv::settings;

namespace {

// What each typed read gives for one stored line (or none).
struct ReadCase {
  const char* stored;  // the value line for "Probe", or nullptr for absent
  std::optional<std::int32_t> asInteger;
  std::optional<bool> asBoolean;
  std::optional<QString> asString;
};

constexpr settings::Setting<std::int32_t> kInteger{"Probe"};
constexpr settings::Setting<bool> kBoolean{"Probe"};
constexpr settings::Setting<QString> kString{"Probe"};

TEST(SettingsKey, TypedReadsFollowTheRegistryRules) {
  const ReadCase cases[] = {
      {nullptr, std::nullopt, std::nullopt, QString()},  // an absent string reads as empty
      {"\"Probe\"=dword:00000064", 100, true, std::nullopt},
      {"\"Probe\"=dword:00000002", 2, true, std::nullopt},  // any non-zero number is true
      {"\"Probe\"=dword:00000000", 0, false, std::nullopt},
      {"\"Probe\"=dword:ffffffff", -1, true, std::nullopt},  // 32-bit signed
      {"\"Probe\"=\"100\"", std::nullopt, std::nullopt, QStringLiteral("100")},
      {"\"Probe\"=hex(2):41,00,00,00", std::nullopt, std::nullopt, QStringLiteral("A")},
      {"\"Probe\"=hex:01", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "absent");
    TestProfile profile;
    profile.writeSettings(c.stored ? QStringList{QString::fromLatin1(c.stored)} : QStringList{});
    settings::RegFileBackend backend(profile.settingsFile());
    settings::SettingsKey key(backend);
    ASSERT_TRUE(key.isOpen());
    EXPECT_EQ(key.read(kInteger), c.asInteger);
    EXPECT_EQ(key.read(kBoolean), c.asBoolean);
    EXPECT_EQ(key.read(kString), c.asString);
  }
}

TEST(SettingsKey, WritesKeepTheirTypesAcrossOpenings) {
  TestProfile profile;
  settings::RegFileBackend backend(profile.settingsFile());
  {
    settings::SettingsKey key(backend);
    EXPECT_TRUE(key.write(settings::Volume, 40));
    EXPECT_TRUE(key.write(settings::WindowLeft, -1200));
    EXPECT_TRUE(key.write(settings::EQPanel, true));
    EXPECT_TRUE(key.write(settings::Language, QStringLiteral("Deutsch")));
    EXPECT_TRUE(key.close());
  }
  EXPECT_TRUE(profile.settingsText().contains("\"Volume\"=dword:00000028\n"));
  EXPECT_TRUE(profile.settingsText().contains("\"EQPanel\"=dword:00000001\n"));

  settings::SettingsKey key(backend);
  EXPECT_EQ(key.read(settings::Volume), 40);
  EXPECT_EQ(key.read(settings::WindowLeft), -1200);
  EXPECT_EQ(key.read(settings::EQPanel), true);
  EXPECT_EQ(key.read(settings::Language), QStringLiteral("Deutsch"));
  EXPECT_EQ(key.read(settings::WindowTop), std::nullopt);
  EXPECT_TRUE(key.remove(settings::Volume));
  key.close();
  EXPECT_FALSE(profile.settingsText().contains("Volume"));
}

TEST(SettingsKey, AKeyThatCannotBeOpenedFailsEveryReadAndWrite) {
  TestProfile profile;
  QDir().mkpath(profile.settingsFile());  // a folder where the file should be
  settings::RegFileBackend backend(profile.settingsFile());
  settings::SettingsKey key(backend);
  EXPECT_FALSE(key.isOpen());
  EXPECT_EQ(key.read(settings::Volume), std::nullopt);
  EXPECT_EQ(key.read(settings::HideToTray), std::nullopt);
  EXPECT_EQ(key.read(settings::Language), std::nullopt);
  EXPECT_FALSE(key.write(settings::Volume, 1));
  EXPECT_FALSE(key.remove(settings::LastStation));
  EXPECT_FALSE(key.close());
}

}  // namespace
