#include "program_run.h"

#include "default_playlist.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

std::vector<qv::stations::StationEntry> someStations(int count) {
  std::vector<qv::stations::StationEntry> stations;
  for (int n = 1; n <= count; ++n) {
    stations.push_back({QStringLiteral("Station %1").arg(n), QStringLiteral("http://127.0.0.1:8000/%1").arg(n),
                        n % 2 ? QStringLiteral("Rock") : QString(), QString()});
  }
  return stations;
}

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList list(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) {
    out.append(QLatin1String(item));
  }
  return out;
}

TEST(StartupShutdown, FirstStartWithoutSettingsOrFiles) {
  ProgramRun run;
  ASSERT_TRUE(run.start());

  // Main window.
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  EXPECT_EQ(MainForm->geometry(), QRect(static_cast<int>(std::lrint(screen.width() / 2.0)),
                                        static_cast<int>(std::lrint(screen.height() / 2.0)), 418, 314));
  EXPECT_EQ(MainForm->VolumeTB->value(), 100);
  EXPECT_EQ(MainForm->l_buf, QStringLiteral("buffering"));
  EXPECT_EQ(qv::l_unsaved, QStringLiteral("Unsaved"));
  EXPECT_FALSE(MainForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(MainForm->EQPanel->isHidden());
  EXPECT_EQ(MainForm->LogoImage->width(), 128);
  EXPECT_EQ(MainForm->PLLeftPanel->width(), 106);
  EXPECT_EQ(MainForm->TagsListBox->height(), 38);
  EXPECT_EQ(MainForm->CurrentStation, 0);
  EXPECT_FALSE(MainForm->UnsavedPL);
  EXPECT_TRUE(MainForm->StationLabel->text().isEmpty());
  EXPECT_TRUE(MainForm->languageFile().endsWith(QLatin1String("/Languages/.txt")));
  EXPECT_TRUE(QFileInfo(run.profile.dataFolder()).isDir());
  EXPECT_EQ(run.trace.notes.filter(QStringLiteral("register media keys:")).size(), 1);
  EXPECT_TRUE(MainForm->skin().isLoaded());
  EXPECT_FALSE(run.trace.notes.join(QLatin1Char('\n')).contains(QLatin1String("main 8 skin"))) << "the skin stage runs";
  EXPECT_EQ(MainForm->OntopImage->image(), QStringLiteral("PngTop_2"));
  EXPECT_FALSE(run.trace.notes.join(QLatin1Char('\n')).contains(QLatin1String("engine version")));
  EXPECT_FALSE(run.trace.notes.join(QLatin1Char('\n')).contains(QLatin1String("audio output")))
      << "the audio output is set up";

  // Settings window.
  EXPECT_EQ(SettingsForm->MouseStepSpin->value(), 10);
  EXPECT_EQ(SettingsForm->KeyStepSpin->value(), 5);
  EXPECT_TRUE(SettingsForm->HotkeysCheckBox->isChecked());
  // A profile without a stored rate follows the device.
  EXPECT_EQ(SettingsForm->cbDiscr->currentText(), QStringLiteral("Automatic"));
  EXPECT_FALSE(SettingsForm->WinnotifyCB->isChecked());
  EXPECT_FALSE(SettingsForm->cbPlayOnStart->isChecked());
  EXPECT_FALSE(SettingsForm->LoopStationCheckBox->isChecked());
  EXPECT_FALSE(SettingsForm->TrayCheckBox->isChecked());
  EXPECT_EQ(SettingsForm->LangBox->currentText(), QStringLiteral("English")) << "the built-in texts are English";
  EXPECT_TRUE(SettingsForm->ProxyServerEdit->text().isEmpty());
  EXPECT_EQ(SettingsForm->bufferSE->value(), 5);
  EXPECT_EQ(SettingsForm->windowTitle(), QStringLiteral("Settings"));
  EXPECT_EQ(PopupForm->width(), 310);
  EXPECT_NE(AddEditForm, nullptr);
  SettingsForm->show();
  EXPECT_EQ(SettingsForm->frameGeometry().center(), MainForm->frameGeometry().center())
      << "without a stored position the settings window opens centred over the main window";

  // HideToTray is written as false during start-up, before the settings window reads it.
  EXPECT_EQ(run.backend.opening(2), list({"write HideToTray"}));
  EXPECT_TRUE(run.profile.settingsText().contains("\"HideToTray\"=dword:00000000\n"));

  run.finish();
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_EQ(SettingsForm, nullptr);
  EXPECT_TRUE(run.errors.isEmpty()) << run.errors.join(QLatin1Char('\n')).toStdString();

  EXPECT_EQ(run.trace.stages, list({"create main window",
                                    "main 1 file dropping",
                                    "main 2 MainWindowHandle",
                                    "main 3 engine version",
                                    "main 4 output rate",
                                    "main 5-6 audio output",
                                    "main 7 clear labels",
                                    "main 8 skin",
                                    "main 9 settings",
                                    "M1",
                                    "M1 fallback",
                                    "M2",
                                    "M2 fallback",
                                    "M3",
                                    "M4",
                                    "M4 fallback",
                                    "M5",
                                    "M5 fallback",
                                    "M6",
                                    "M6 fallback",
                                    "M7",
                                    "M7 fallback",
                                    "main 10 last station",
                                    "M8",
                                    "M8 fallback",
                                    "M9",
                                    "M9 fallback",
                                    "main 11 DataFolder",
                                    "main 12 default playlist",
                                    "main 13 recent playlists",
                                    "create settings window",
                                    "settings 1 language list",
                                    "settings 2 read settings",
                                    "S1",
                                    "S1 fallback",
                                    "S2",
                                    "S2 fallback",
                                    "S3",
                                    "S3 fallback",
                                    "S4",
                                    "S5",
                                    "S5 fallback",
                                    "settings 2 texts",
                                    "settings 3 waiting events",
                                    "settings 4 update check",
                                    "create popup",
                                    "popup P1",
                                    "P1",
                                    "P1 fallback",
                                    "create add/edit dialog",
                                    "close 1 media keys",
                                    "close 2 settings",
                                    "close 3 skin",
                                    "close 4 default playlist",
                                    "close 5 recent playlists",
                                    "destroy add/edit dialog",
                                    "destroy popup",
                                    "destroy settings window",
                                    "destroy main window"}));

  // Six openings; the last two write in their fixed order.
  EXPECT_EQ(run.backend.openings(), 6);
  EXPECT_EQ(run.backend.opening(5),
            list({"write WindowLeft", "write WindowTop", "write WindowWidth", "write WindowHeight", "write Volume",
                  "write AlwaysOnTop", "write Preview", "write EQPanel", "write LeftPanel", "write TagsPanel",
                  "write UnsavedPL", "write PopupFormWidth", "write LastStation"}));
  EXPECT_EQ(run.backend.opening(6),
            list({"write MouseStep", "write KeyboardStep", "write InvertMouse", "write LoopStations",
                  "write HideToTray", "write GetMediaKey", "write ShowNotify", "write Discreditation", "write SFTop",
                  "write SFLeft", "write PlayOnStart", "write Reconnect", "write HistoryKeepDays", "write Levelling",
                  "write LevellingTarget", "write Crossfade", "write OutputDevice"}));
  const QByteArray file = run.profile.settingsText();
  for (const char* line :
       {"\"WindowWidth\"=dword:000001a2", "\"Volume\"=dword:00000064", "\"Preview\"=dword:00000080",
        "\"PopupFormWidth\"=dword:00000136", "\"LastStation\"=dword:00000000", "\"GetMediaKey\"=dword:00000001",
        "\"Discreditation\"=dword:00000000", "\"MouseStep\"=dword:0000000a"}) {
    EXPECT_TRUE(file.contains(QByteArray(line) + '\n')) << line << "\n" << file.constData();
  }
  EXPECT_FALSE(file.contains("\"Language\"")) << "no language selected: nothing is written for it";

  // Shutdown always writes the program's own playlist, also after a start without one.
  EXPECT_EQ(fileBytes(run.profile.dataFolder() + QStringLiteral("/default_playlist.ini")),
            QByteArray("\xEF\xBB\xBF[playlist]\r\nPath=\r\n\r\n"));
  EXPECT_FALSE(
      run.trace.notes.contains(QStringLiteral("main 12 default playlist skipped: its subsystem is not built yet")));
  EXPECT_FALSE(run.trace.notes.join(QLatin1Char('\n')).contains(QLatin1String("audio release")))
      << "the audio output is released";
}

// An output that cannot be set up ends the program after the error signal and a message; nothing
// is written.
TEST(StartupShutdown, AnAudioOutputThatCannotBeSetUpEndsStartUp) {
  const QByteArray previousDriver = qgetenv("SDL_AUDIODRIVER");
  qputenv("SDL_AUDIODRIVER", "no-such-driver");
  ProgramRun run;
  run.profile.writeSettings({QStringLiteral("\"Volume\"=dword:00000028")});
  const QByteArray before = run.profile.settingsText();
  EXPECT_FALSE(run.start());
  qputenv("SDL_AUDIODRIVER", previousDriver);

  EXPECT_EQ(run.trace.stages.last(), QStringLiteral("main 5-6 audio output"));
  EXPECT_TRUE(run.trace.notes.contains(QStringLiteral("main 5-6 audio output failed")));
  ASSERT_NE(MainForm, nullptr);
  EXPECT_EQ(MainForm->StationLabel->text(), QStringLiteral("Can`t initialize device\r\n(Error code: 4)"));
  EXPECT_EQ(SettingsForm, nullptr);
  EXPECT_EQ(PopupForm, nullptr);
  // The window never shows: the message reaches the user through the error box.
  EXPECT_EQ(run.errors, QStringList{QStringLiteral("Can`t initialize device\n(Error code: 4)")});
  run.finish();
  EXPECT_EQ(run.profile.settingsText(), before);
}

TEST(StartupShutdown, SecondStartReadsWhatTheFirstWrote) {
  ProgramRun run;
  run.profile.addLanguageFiles({QStringLiteral("German.txt"), QStringLiteral("French.txt")});
  ASSERT_TRUE(run.start());
  MainForm->Stations.replaceAll(someStations(5));
  MainForm->PlaylistPath = QStringLiteral("/music/radio.pls");
  MainForm->VolumeTB->setValue(40);
  MainForm->CurrentStation = 3;
  MainForm->UnsavedPL = true;
  MainForm->setGeometry(20, 30, 500, 400);
  SettingsForm->MouseStepSpin->setValue(25);
  SettingsForm->LangBox->setCurrentIndex(SettingsForm->LangBox->findText(QStringLiteral("German")));
  SettingsForm->cbDiscr->setCurrentIndex(SettingsForm->cbDiscr->findText(QStringLiteral("48000")));
  SettingsForm->WinnotifyCB->setChecked(true);
  SettingsForm->move(70, 80);
  PopupForm->resize(250, TPopupForm::kHeight);
  run.finish();

  ASSERT_TRUE(run.start());
  EXPECT_EQ(MainForm->VolumeTB->value(), 40);
  EXPECT_EQ(MainForm->CurrentStation, 3);
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY(), someStations(5));
  EXPECT_EQ(MainForm->PlaylistPath, QStringLiteral("/music/radio.pls"));
  EXPECT_EQ(MainForm->StationLabel->text(), QStringLiteral("Station 4"));
  EXPECT_TRUE(MainForm->UnsavedPL);
  EXPECT_EQ(MainForm->geometry(), QRect(20, 30, 500, 400));
  EXPECT_TRUE(MainForm->languageFile().endsWith(QLatin1String("/German.txt")));
  EXPECT_EQ(SettingsForm->MouseStepSpin->value(), 25);
  EXPECT_EQ(SettingsForm->LangBox->currentText(), QStringLiteral("German"));
  EXPECT_EQ(SettingsForm->cbDiscr->currentText(), QStringLiteral("48000"));
  EXPECT_TRUE(SettingsForm->WinnotifyCB->isChecked());
  EXPECT_EQ(SettingsForm->pos(), QPoint(70, 80));
  EXPECT_EQ(PopupForm->width(), 250);
  EXPECT_EQ(run.backend.opening(2), QStringList()) << "HideToTray was stored: nothing written at start-up";
  run.finish();
}

TEST(StartupShutdown, NoCurrentStationRemovesLastStation) {
  ProgramRun run;
  run.profile.writeSettings({QStringLiteral("\"LastStation\"=dword:00000003")});
  ASSERT_TRUE(run.start());
  EXPECT_EQ(MainForm->CurrentStation, 3);
  MainForm->Stations.replaceAll(someStations(2));
  MainForm->CurrentStation = -1;
  run.finish();
  EXPECT_EQ(run.backend.opening(5).last(), QStringLiteral("delete LastStation"));
  EXPECT_FALSE(run.profile.settingsText().contains("LastStation"));

  ASSERT_TRUE(run.start());
  EXPECT_EQ(MainForm->CurrentStation, 0);
  EXPECT_EQ(MainForm->StationLabel->text(), QStringLiteral("Station 1"));
  run.finish();
}

// An empty list saved at shutdown makes the next start's rebuild set CurrentStation to -1; a
// LastStation beyond the list leaves the labels empty.
TEST(StartupShutdown, StationLabelShowsTheLastStationWhenItIsInTheList) {
  ProgramRun run;
  run.profile.writeSettings({QStringLiteral("\"LastStation\"=dword:00000007")});
  QDir().mkpath(run.profile.dataFolder());
  ASSERT_EQ(qv::saveDefaultPlaylist(run.profile.dataFolder() + QStringLiteral("/default_playlist.ini"), QString(),
                                    someStations(3)),
            QString());
  ASSERT_TRUE(run.start());
  EXPECT_EQ(MainForm->CurrentStation, 7);
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().size(), 3U);
  EXPECT_TRUE(MainForm->StationLabel->text().isEmpty());
  MainForm->Stations.replaceAll({});
  run.finish();

  ASSERT_TRUE(run.start());
  EXPECT_EQ(MainForm->CurrentStation, -1);
  run.finish();
  EXPECT_FALSE(run.profile.settingsText().contains("LastStation"));
}

TEST(StartupShutdown, AnUnreadableStationListIsKeptAsideAndTheListStartsEmpty) {
  ProgramRun run;
  QDir().mkpath(run.profile.dataFolder());
  const QString stored = run.profile.dataFolder() + QStringLiteral("/default_playlist.ini");
  const QByteArray damaged("\xEF\xBB\xBF[playlist]\r\nFile1=http://127.0.0.1/a\r\nTitle1=Caf\xE9\r\n");
  {
    QFile file(stored);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
  }
  ASSERT_TRUE(run.start());
  ASSERT_EQ(run.errors.size(), 1);
  EXPECT_TRUE(run.errors[0].contains(QDir::toNativeSeparators(stored))) << run.errors[0].toStdString();
  EXPECT_TRUE(MainForm->Stations.PLAY_ARRAY().empty());
  const QStringList aside =
      QDir(run.profile.dataFolder()).entryList({QStringLiteral("default_playlist.unreadable-*.ini")}, QDir::Files);
  ASSERT_EQ(aside.size(), 1);
  EXPECT_TRUE(run.errors[0].contains(aside[0])) << "the box names the kept file";
  run.finish();

  EXPECT_EQ(run.errors.size(), 1) << "told once";
  EXPECT_EQ(fileBytes(run.profile.dataFolder() + QLatin1Char('/') + aside[0]), damaged);
  EXPECT_EQ(fileBytes(stored), QByteArray("\xEF\xBB\xBF[playlist]\r\nPath=\r\n\r\n"));
}

TEST(StartupShutdown, UnselectedRateAndLanguageKeepTheirStoredValues) {
  ProgramRun run;
  // 22050 is not in the rate list, and there is no Klingon language file.
  run.profile.writeSettings(
      {QStringLiteral("\"MouseStep\"=dword:00000014"), QStringLiteral("\"KeyboardStep\"=dword:00000007"),
       QStringLiteral("\"InvertMouse\"=dword:00000000"), QStringLiteral("\"LoopStations\"=dword:00000000"),
       QStringLiteral("\"HideToTray\"=dword:00000000"), QStringLiteral("\"GetMediaKey\"=dword:00000001"),
       QStringLiteral("\"Discreditation\"=dword:00005622"), QStringLiteral("\"Language\"=\"Klingon\"")});
  ASSERT_TRUE(run.start());
  EXPECT_EQ(SettingsForm->cbDiscr->currentIndex(), -1);
  EXPECT_EQ(SettingsForm->LangBox->currentText(), QStringLiteral("English")) << "the texts shown are English";
  run.finish();
  EXPECT_FALSE(run.backend.opening(6).contains(QStringLiteral("write Discreditation")));
  EXPECT_FALSE(run.backend.opening(6).contains(QStringLiteral("write Language")));
  EXPECT_TRUE(run.profile.settingsText().contains("\"Discreditation\"=dword:00005622\n"));
  EXPECT_TRUE(run.profile.settingsText().contains("\"Language\"=\"Klingon\"\n"));
}

TEST(StartupShutdown, AKeyThatCannotBeOpenedSkipsItsStagesAndWritesNothing) {
  ProgramRun run;
  QDir().mkpath(run.profile.settingsFile());  // a folder where the settings file belongs
  ASSERT_TRUE(run.start());

  EXPECT_TRUE(MainForm->languageFile().isEmpty()) << "the language stage is skipped";
  EXPECT_EQ(MainForm->l_setform, QStringLiteral("Settings")) << "built-in texts stay";
  EXPECT_EQ(MainForm->CurrentStation, 0);
  EXPECT_FALSE(MainForm->UnsavedPL);
  EXPECT_TRUE(SettingsForm->windowTitle().isEmpty()) << "settings stage 2, its texts included, is skipped";
  EXPECT_FALSE(run.trace.stages.contains(QStringLiteral("M1")));
  EXPECT_TRUE(run.trace.stages.contains(QStringLiteral("M8 fallback")));
  EXPECT_TRUE(run.trace.stages.contains(QStringLiteral("M9 fallback")));
  EXPECT_FALSE(run.trace.stages.contains(QStringLiteral("S1")));
  EXPECT_FALSE(run.trace.stages.contains(QStringLiteral("P1")));
  EXPECT_TRUE(run.trace.stages.contains(QStringLiteral("settings 4 update check")));

  run.finish();
  EXPECT_EQ(run.backend.log(), QStringList(6, QStringLiteral("open failed")));
  EXPECT_TRUE(run.errors.isEmpty());
  EXPECT_TRUE(QFileInfo(run.profile.settingsFile()).isDir());
}

// An error that escapes a window's start-up is shown once; that window's remaining stages are
// skipped and the windows after it are still created.
TEST(StartupShutdown, AnErrorInAStartUpStageIsShownAndTheProgramGoesOn) {
  struct Case {
    int failingOpening;  // 2: main window's settings, 3: settings window's, 4: popup's
    const char* skippedStage;
    const char* laterStage;
  };
  const Case cases[] = {
      {2, "main 11 DataFolder", "settings 4 update check"},
      {3, "settings 3 waiting events", "P1"},
      {4, "P1", "create add/edit dialog"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failingOpening);
    ProgramRun run;
    const QString stored = run.profile.dataFolder() + QStringLiteral("/default_playlist.ini");
    QDir().mkpath(run.profile.dataFolder());
    ASSERT_EQ(qv::saveDefaultPlaylist(stored, QString(), someStations(2)), QString());
    run.backend.throwAtOpening(c.failingOpening);
    ASSERT_TRUE(run.start());
    EXPECT_EQ(run.errors, QStringList{QStringLiteral("settings store exploded")});
    EXPECT_FALSE(run.trace.stages.contains(QLatin1String(c.skippedStage)));
    EXPECT_TRUE(run.trace.stages.contains(QLatin1String(c.laterStage)));
    EXPECT_NE(MainForm, nullptr);
    EXPECT_NE(SettingsForm, nullptr);
    EXPECT_NE(PopupForm, nullptr);
    EXPECT_NE(AddEditForm, nullptr);
    run.finish();
    EXPECT_EQ(run.errors.size(), 1);
    // Also when the main window's start-up ended before reading the list, the stored one stays.
    EXPECT_EQ(qv::loadDefaultPlaylist(stored).stations, someStations(2));
  }
}

}  // namespace
