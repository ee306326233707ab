// Each stored settings file and what the windows show after start-up: fallbacks, wrong types and
// group fallbacks.
#include "program_run.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct ReadCase {
  const char* name;
  QStringList stored;
  std::function<void(ProgramRun&)> check;
};

QStringList lines(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) {
    out.append(QString::fromUtf8(item));
  }
  return out;
}

// The seven values of the settings window's second group, all stored, with some replaced: without
// all seven the whole group falls back.
QStringList settingsGroup(std::initializer_list<const char*> replaced) {
  QStringList group =
      lines({R"("MouseStep"=dword:00000014)", R"("KeyboardStep"=dword:00000007)", R"("InvertMouse"=dword:00000001)",
             R"("LoopStations"=dword:00000001)", R"("HideToTray"=dword:00000001)", R"("GetMediaKey"=dword:00000001)",
             R"("Discreditation"=dword:00017700)"});
  for (const QString& line : lines(replaced)) {
    const QString name = line.section(QLatin1Char('='), 0, 0);
    for (QString& stored : group) {
      if (stored.startsWith(name + QLatin1Char('='))) {
        stored = line;
      }
    }
  }
  return group;
}

QRect centreFallback() {
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  return {static_cast<int>(std::lrint(screen.width() / 2.0)), static_cast<int>(std::lrint(screen.height() / 2.0)), 418,
          314};
}

const ReadCase kCases[] = {
    {"VolumeStored", lines({R"("Volume"=dword:00000028)"}),
     [](ProgramRun&) { EXPECT_EQ(MainForm->VolumeTB->value(), 40); }},
    {"VolumeAsStringGives100", lines({R"("Volume"="40")"}),
     [](ProgramRun&) { EXPECT_EQ(MainForm->VolumeTB->value(), 100); }},
    {"BoundsStored",
     lines({R"("WindowLeft"=dword:0000000a)", R"("WindowTop"=dword:00000014)", R"("WindowWidth"=dword:000001f4)",
            R"("WindowHeight"=dword:00000190)"}),
     [](ProgramRun&) { EXPECT_EQ(MainForm->geometry(), QRect(10, 20, 500, 400)); }},
    {"OneBoundMissingCentresTheWindow",
     lines({R"("WindowLeft"=dword:0000000a)", R"("WindowTop"=dword:00000014)", R"("WindowWidth"=dword:000001f4)"}),
     [](ProgramRun&) { EXPECT_EQ(MainForm->geometry(), centreFallback()); }},
    {"LanguageStored", lines({R"("Language"="German")"}),
     [](ProgramRun&) {
       EXPECT_TRUE(MainForm->languageFile().endsWith(QLatin1String("/German.txt")));
       EXPECT_EQ(SettingsForm->LangBox->currentText(), QStringLiteral("German"));
     }},
    {"LanguageAsNumberGivesEnglishAndTheFirstEntry", lines({R"("Language"=dword:00000001)"}),
     [](ProgramRun&) {
       EXPECT_TRUE(MainForm->languageFile().endsWith(QLatin1String("/English.txt")));
       EXPECT_EQ(SettingsForm->LangBox->currentIndex(), 0);
     }},
    {"LanguageAbsentGivesTheEmptyNameAndShowsEnglish",
     {},
     [](ProgramRun&) {
       EXPECT_TRUE(MainForm->languageFile().endsWith(QLatin1String("/Languages/.txt")));
       EXPECT_EQ(SettingsForm->LangBox->currentText(), QStringLiteral("English"));
     }},
    {"AlwaysOnTop", lines({R"("AlwaysOnTop"=dword:00000001)"}),
     [](ProgramRun&) { EXPECT_TRUE(MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint)); }},
    {"PanelGroupStored",
     lines({R"("EQPanel"=dword:00000001)", R"("Preview"=dword:00000064)", R"("LeftPanel"=dword:000000c8)",
            R"("TagsPanel"=dword:00000050)"}),
     [](ProgramRun&) {
       EXPECT_FALSE(MainForm->EQPanel->isHidden());
       EXPECT_EQ(MainForm->LogoImage->width(), 100);
       EXPECT_EQ(MainForm->PLLeftPanel->width(), 200);
       EXPECT_EQ(MainForm->TagsListBox->height(), 80);
     }},
    {"PreviewMissingHidesTheShownPanel",
     lines({R"("EQPanel"=dword:00000001)", R"("LeftPanel"=dword:000000c8)", R"("TagsPanel"=dword:00000050)"}),
     [](ProgramRun&) {
       EXPECT_TRUE(MainForm->EQPanel->isHidden());
       EXPECT_EQ(MainForm->LogoImage->width(), 128);
       EXPECT_EQ(MainForm->PLLeftPanel->width(), 106);
       EXPECT_EQ(MainForm->TagsListBox->height(), 38);
     }},
    {"HideToTrayUnreadableIsWrittenFalseAtOnce", lines({R"("HideToTray"="yes")"}),
     [](ProgramRun& run) {
       EXPECT_EQ(run.backend.opening(2), QStringList{QStringLiteral("write HideToTray")});
       EXPECT_FALSE(SettingsForm->TrayCheckBox->isChecked());
     }},
    {"HideToTrayStored", settingsGroup({}),
     [](ProgramRun& run) {
       EXPECT_TRUE(run.backend.opening(2).isEmpty());
       EXPECT_TRUE(SettingsForm->TrayCheckBox->isChecked());
     }},
    {"MediaKeysOffAreNotRegistered", settingsGroup({R"("GetMediaKey"=dword:00000000)"}),
     [](ProgramRun& run) {
       for (const QString& note : run.trace.notes) {
         EXPECT_FALSE(note.startsWith(QLatin1String("register media keys"))) << note.toStdString();
       }
       EXPECT_FALSE(SettingsForm->HotkeysCheckBox->isChecked());
     }},
    {"LastStationAndUnsaved", lines({R"("LastStation"=dword:00000005)", R"("UnsavedPL"=dword:00000001)"}),
     [](ProgramRun&) {
       EXPECT_EQ(MainForm->CurrentStation, 5);
       EXPECT_TRUE(MainForm->UnsavedPL);
     }},
    {"LastStationUnreadableGivesZero", lines({R"("LastStation"="5")"}),
     [](ProgramRun&) { EXPECT_EQ(MainForm->CurrentStation, 0); }},
    {"PopupWidth", lines({R"("PopupFormWidth"=dword:000000c8)"}),
     [](ProgramRun&) { EXPECT_EQ(PopupForm->width(), 200); }},
    {"PopupWidthUnreadableGives310", lines({R"("PopupFormWidth"="200")"}),
     [](ProgramRun&) { EXPECT_EQ(PopupForm->width(), 310); }},
    {"SettingsWindowPosition", lines({R"("SFTop"=dword:00000020)", R"("SFLeft"=dword:00000030)"}),
     [](ProgramRun&) { EXPECT_EQ(SettingsForm->pos(), QPoint(48, 32)); }},
    {"StepsAreLimitedToTheirFields",
     settingsGroup({R"("MouseStep"=dword:00000063)", R"("KeyboardStep"=dword:00000000)"}),
     [](ProgramRun&) {
       EXPECT_EQ(SettingsForm->MouseStepSpin->value(), 50);
       EXPECT_EQ(SettingsForm->KeyStepSpin->value(), 1);
     }},
    {"RateNotInTheListSelectsNothing", settingsGroup({R"("Discreditation"=dword:00005622)"}),
     [](ProgramRun&) { EXPECT_EQ(SettingsForm->cbDiscr->currentIndex(), -1); }},
    {"SettingsGroupStored",
     settingsGroup({}) + lines({R"("ShowNotify"=dword:00000001)", R"("PlayOnStart"=dword:00000001)"}),
     [](ProgramRun& run) {
       EXPECT_EQ(SettingsForm->MouseStepSpin->value(), 20);
       EXPECT_EQ(SettingsForm->KeyStepSpin->value(), 7);
       EXPECT_TRUE(SettingsForm->InvertMouseCheckBox->isChecked());
       EXPECT_TRUE(SettingsForm->LoopStationCheckBox->isChecked());
       EXPECT_EQ(SettingsForm->cbDiscr->currentText(), QStringLiteral("96000"));
       EXPECT_TRUE(SettingsForm->WinnotifyCB->isChecked());
       EXPECT_TRUE(SettingsForm->cbPlayOnStart->isChecked());
       EXPECT_TRUE(run.trace.stages.contains(QStringLiteral("settings 2 play on start")));
     }},
    // The group falls back after the tray and media-key boxes were applied: the tray box keeps its
    // value, the media-key box is checked again, and the keys, left off by the main window's read
    // of the same value, are registered.
    {"SettingsGroupFallbackAfterLateFailure",
     settingsGroup({R"("GetMediaKey"=dword:00000000)", R"("Discreditation"="48000")"}),
     [](ProgramRun& run) {
       EXPECT_EQ(SettingsForm->MouseStepSpin->value(), 10);
       EXPECT_EQ(SettingsForm->KeyStepSpin->value(), 5);
       EXPECT_FALSE(SettingsForm->InvertMouseCheckBox->isChecked());
       EXPECT_FALSE(SettingsForm->LoopStationCheckBox->isChecked());
       EXPECT_TRUE(SettingsForm->TrayCheckBox->isChecked());
       EXPECT_TRUE(SettingsForm->HotkeysCheckBox->isChecked());
       EXPECT_EQ(SettingsForm->cbDiscr->currentText(), QStringLiteral("Automatic"));
       const QStringList keys = run.trace.notes.filter(QStringLiteral("media keys"));
       ASSERT_FALSE(keys.isEmpty());
       EXPECT_TRUE(keys.last().startsWith(QLatin1String("register"))) << keys.join(QLatin1Char(';')).toStdString();
     }},
    {"ShowNotifyFalseLeavesTheBoxUnchecked", lines({R"("ShowNotify"=dword:00000000)"}),
     [](ProgramRun&) { EXPECT_FALSE(SettingsForm->WinnotifyCB->isChecked()); }},
};

void PrintTo(const ReadCase& c, std::ostream* out) {
  *out << c.name;
}

class SettingsRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingsRead, WindowsShowTheStoredValueOrTheFallback) {
  ProgramRun run;
  run.profile.addLanguageFiles({QStringLiteral("French.txt"), QStringLiteral("German.txt")});
  run.profile.writeSettings(GetParam().stored);
  ASSERT_TRUE(run.start());
  GetParam().check(run);
  run.finish();
  EXPECT_TRUE(run.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsRead, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.name); });

}  // namespace
