// The settings model against the real settings file: a full round of reads and writes leaves the
// file as it was, a first run writes the values in their fixed order, and the group rules.
#include "settings/settings_model.h"
#include "settings/reg_file_backend.h"
#include "test_profile.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace settings = qv::settings;

namespace {

QStringList lines(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) {
    out.append(QString::fromUtf8(item));
  }
  return out;
}

constexpr const char* kAllGroups[] = {"M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8",
                                      "M9", "P1", "S1", "S2", "S3", "S4", "S5"};

// What one run of the program does with the key: the rate on its own, every group, then the two
// writers in the order the windows close; no language list, so no language is chosen to write.
void runOnce(settings::SettingsBackend& backend, settings::SettingsModel& model) {
  {
    settings::SettingsKey key(backend);
    model.readValue(key, settings::Discreditation);
  }
  {
    settings::SettingsKey key(backend);
    for (const char* group : kAllGroups) {
      model.readGroup(key, group);
    }
  }
  {
    settings::SettingsKey key(backend);
    model.write(key, settings::Writer::MainWindowClose);
  }
  settings::SettingsKey key(backend);
  model.readValue(key, settings::Reconnect);
  model.readValue(key, settings::HistoryKeepDays);
  model.readValue(key, settings::Levelling);
  model.readValue(key, settings::LevellingTarget);
  model.readValue(key, settings::Crossfade);
  model.readValue(key, settings::OutputDevice);
  model.write(key, settings::Writer::SettingsWindowDestroy, {settings::Language.name});
}

TEST(SettingsModel, AFullRunLeavesTheStoredFileByteForByte) {
  TestProfile profile;
  profile.writeSettings(lines({
      R"("Discreditation"=dword:0000bb80)",
      R"("Volume"=dword:00000028)",
      R"("WindowLeft"=dword:0000000a)",
      R"("WindowTop"=dword:00000014)",
      R"("WindowWidth"=dword:000001f4)",
      R"("WindowHeight"=dword:00000190)",
      R"("Language"="Deutsch")",
      R"("AlwaysOnTop"=dword:00000001)",
      R"("EQPanel"=dword:00000001)",
      R"("Preview"=dword:00000064)",
      R"("LeftPanel"=dword:000000c8)",
      R"("TagsPanel"=dword:00000050)",
      R"("HideToTray"=dword:00000001)",
      R"("GetMediaKey"=dword:00000000)",
      R"("LastStation"=dword:00000003)",
      R"("UnsavedPL"=dword:00000001)",
      R"("PopupFormWidth"=dword:000000c8)",
      R"("SFTop"=dword:00000020)",
      R"("SFLeft"=dword:00000030)",
      R"("MouseStep"=dword:00000014)",
      R"("KeyboardStep"=dword:00000007)",
      R"("InvertMouse"=dword:00000001)",
      R"("LoopStations"=dword:00000001)",
      R"("ShowNotify"=dword:00000001)",
      R"("PlayOnStart"=dword:00000001)",
      R"("Reconnect"=dword:00000000)",
      R"("HistoryKeepDays"=dword:0000001e)",
      R"("Levelling"=dword:00000000)",
      R"("LevellingTarget"=dword:ffffffe9)",
      R"("Crossfade"=dword:00000000)",
      R"("OutputDevice"="USB \"DAC\" \\ Front")",
      R"("Foreign"="kept")",
  }));
  settings::RegFileBackend backend(profile.settingsFile());
  // The file as the store itself writes it, before the model touches any value.
  { settings::SettingsKey(backend).write(settings::Volume, 40); }
  const QByteArray before = profile.settingsText();

  settings::SettingsModel model;
  runOnce(backend, model);
  EXPECT_EQ(profile.settingsText(), before);
  EXPECT_EQ(model.value(settings::Language), QStringLiteral("Deutsch"));
  EXPECT_EQ(model.value(settings::MouseStep), 20);
  EXPECT_EQ(model.value(settings::OutputDevice), QStringLiteral(R"(USB "DAC" \ Front)"));
}

TEST(SettingsModel, AFirstRunWritesEveryFallbackInTheWritersOrder) {
  TestProfile profile;
  settings::RegFileBackend backend(profile.settingsFile());
  settings::SettingsModel model;
  runOnce(backend, model);
  const QByteArray expected =
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\n"
      "\"HideToTray\"=dword:00000000\n"  // M6 writes its fallback at once
      "\"WindowLeft\"=dword:00000000\n\"WindowTop\"=dword:00000000\n\"WindowWidth\"=dword:000001a2\n"
      "\"WindowHeight\"=dword:0000013a\n\"Volume\"=dword:00000064\n\"AlwaysOnTop\"=dword:00000000\n"
      "\"Preview\"=dword:00000080\n\"EQPanel\"=dword:00000000\n\"LeftPanel\"=dword:0000006a\n"
      "\"TagsPanel\"=dword:00000026\n\"UnsavedPL\"=dword:00000000\n\"PopupFormWidth\"=dword:00000136\n"
      "\"LastStation\"=dword:00000000\n"
      "\"MouseStep\"=dword:0000000a\n\"KeyboardStep\"=dword:00000005\n\"InvertMouse\"=dword:00000000\n"
      "\"LoopStations\"=dword:00000000\n\"GetMediaKey\"=dword:00000001\n"
      "\"ShowNotify\"=dword:00000000\n\"Discreditation\"=dword:00000000\n\"SFTop\"=dword:00000000\n"
      "\"SFLeft\"=dword:00000000\n\"PlayOnStart\"=dword:00000000\n\"Reconnect\"=dword:00000001\n"
      "\"HistoryKeepDays\"=dword:0000016d\n\"Levelling\"=dword:00000001\n\"LevellingTarget\"=dword:fffffff0\n"
      "\"Crossfade\"=dword:00000000\n\"OutputDevice\"=\"\"\n\n";
  EXPECT_EQ(profile.settingsText(), expected);
}

TEST(SettingsModel, AFailedReadGivesTheWholeGroupItsFallbackButTheTrayOption) {
  TestProfile profile;
  profile.writeSettings(
      lines({R"("MouseStep"=dword:00000063)", R"("KeyboardStep"=dword:00000007)", R"("InvertMouse"=dword:00000001)",
             R"("LoopStations"=dword:00000001)", R"("HideToTray"=dword:00000001)", R"("GetMediaKey"=dword:00000000)",
             R"("Discreditation"="48000")"}));
  settings::RegFileBackend backend(profile.settingsFile());
  settings::SettingsKey key(backend);
  settings::SettingsModel model;

  QSignalSpy changes(&model, &settings::SettingsModel::changed);
  EXPECT_FALSE(model.readGroup(key, "S2"));
  EXPECT_EQ(model.value(settings::MouseStep), 10);
  EXPECT_EQ(model.value(settings::KeyboardStep), 5);
  EXPECT_FALSE(model.value(settings::InvertMouse));
  EXPECT_FALSE(model.value(settings::LoopStations));
  EXPECT_TRUE(model.value(settings::HideToTray)) << "read before the failure, and kept";
  EXPECT_TRUE(model.value(settings::GetMediaKey));
  EXPECT_EQ(model.value(settings::Discreditation), 0) << "the device's own rate";
  // Each value was shown as it was read (MouseStep held to its field's 50), then fell back.
  EXPECT_EQ(changes.first().first().toString(), QStringLiteral("MouseStep"));
  EXPECT_TRUE(changes.contains(QVariantList{QStringLiteral("GetMediaKey")}));
}

TEST(SettingsModel, ListeningValuesFallBackOnTheirOwn) {
  struct Case {
    const char* stored;  // the file's lines for the two values
    bool reconnect;
    int keepDays;
  };
  const Case cases[] = {
      {R"("Reconnect"=dword:00000000)"
       "\n"
       R"("HistoryKeepDays"=dword:0000001e)",
       false, 30},
      {R"("Reconnect"="no")"
       "\n"
       R"("HistoryKeepDays"=dword:0000001e)",
       true, 30},  // wrong type: on
      {R"("HistoryKeepDays"="30")", true, 365},
      {R"("HistoryKeepDays"=dword:00100000)", true, 3650},  // held to ten years
      {"", true, 365},
  };
  for (const Case& c : cases) {
    TestProfile profile;
    profile.writeSettings(QString::fromUtf8(c.stored).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    settings::RegFileBackend backend(profile.settingsFile());
    settings::SettingsKey key(backend);
    settings::SettingsModel model;
    model.set(settings::Reconnect, false);  // a failed read must give the fallback, not keep this
    model.readValue(key, settings::Reconnect);
    model.readValue(key, settings::HistoryKeepDays);
    EXPECT_EQ(model.value(settings::Reconnect), c.reconnect) << c.stored;
    EXPECT_EQ(model.value(settings::HistoryKeepDays), c.keepDays) << c.stored;
  }
}

// Levelling is on at -16 LUFS unless stored otherwise; a target out of the field's range is held to it.
TEST(SettingsModel, LevellingValuesFallBackOnTheirOwnAndKeepToTheirRange) {
  struct Case {
    const char* stored;
    bool levelling;
    int target;
  };
  const Case cases[] = {
      {"", true, -16},
      {R"("Levelling"=dword:00000000)", false, -16},
      {R"("LevellingTarget"=dword:ffffffe9)", true, -23},
      {R"("LevellingTarget"=dword:00000010)", true, -5},
      {R"("LevellingTarget"=dword:ffffff00)", true, -30},
      {R"("LevellingTarget"="-23")", true, -16},
  };
  for (const Case& c : cases) {
    TestProfile profile;
    profile.writeSettings(QString::fromUtf8(c.stored).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
    settings::RegFileBackend backend(profile.settingsFile());
    settings::SettingsKey key(backend);
    settings::SettingsModel model;
    model.readValue(key, settings::Levelling);
    model.readValue(key, settings::LevellingTarget);
    EXPECT_EQ(model.value(settings::Levelling), c.levelling) << c.stored;
    EXPECT_EQ(model.value(settings::LevellingTarget), c.target) << c.stored;
  }
}

TEST(SettingsModel, RangesAndTheDeletedLastStation) {
  TestProfile profile;
  profile.writeSettings(lines({R"("LastStation"=dword:00000004)"}));
  settings::RegFileBackend backend(profile.settingsFile());
  settings::SettingsModel model;
  model.set(settings::Volume, 130);
  model.set(settings::KeyboardStep, 0);
  EXPECT_EQ(model.value(settings::Volume), 100);
  EXPECT_EQ(model.value(settings::KeyboardStep), 1);

  model.set(settings::LastStation, -1);
  {
    settings::SettingsKey key(backend);
    model.write(key, settings::Writer::MainWindowClose, {settings::PopupFormWidth.name});
  }
  EXPECT_FALSE(profile.settingsText().contains("LastStation"));
  EXPECT_FALSE(profile.settingsText().contains("PopupFormWidth")) << "kept as stored: it was not there";
  settings::SettingsKey key(backend);
  EXPECT_FALSE(model.readGroup(key, "M8")) << "deleted: the next start reads the fallback";
  EXPECT_EQ(model.value(settings::LastStation), 0);
}

}  // namespace
