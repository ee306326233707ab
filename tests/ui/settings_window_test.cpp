// The settings window as a user meets it: switching the language, texts that fit, closing it with
// a new buffer length, the update notice and the product link.
#include "program_run.h"
#include "shipped_languages.h"
#include "text_fit.h"

#include "engine.h"
#include "hover_link_label.h"
#include "open_url.h"
#include "qt_translations.h"
#include "sound/eq_panel.h"
#include "station_list/station_list_panel.h"
#include "tray.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SettingsWindow, PickingALanguageChangesEveryShownTextAtOnce) {
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());

  pickLanguage(QStringLiteral("German"));
  EXPECT_TRUE(MainForm->languageFile().endsWith(QLatin1String("/German.txt")));
  EXPECT_EQ(MainForm->popOpenPL->text(), QStringLiteral("Wiedergabeliste öffnen"));
  EXPECT_EQ(MainForm->StationsPanel->lRecent->text(), QStringLiteral("Letzte Listen"));
  EXPECT_EQ(MainForm->SearchEdit->placeholderText(), QStringLiteral("Suchen"));
  EXPECT_EQ(MainForm->Equalizer->reverbLabel->text(), QStringLiteral("Hall"));
  EXPECT_EQ(MainForm->tray().Restore1->text(), QStringLiteral("Wiederherstellen"));
  EXPECT_EQ(MainForm->saveDialogFilters().first(), QStringLiteral("INI-Dateien (*.ini)"));
  EXPECT_EQ(MainForm->openDialogFilters()[2], QStringLiteral("ShoutCast, Icecast (*.pls *.ini)"));
  EXPECT_EQ(qv::l_connecting, QStringLiteral("verbinde"));
  EXPECT_EQ(SettingsForm->windowTitle(), QStringLiteral("Einstellungen"));
  EXPECT_EQ(SettingsForm->HotkeysCheckBox->text(), QStringLiteral("Globale Medientasten"));
  EXPECT_EQ(SettingsForm->CloseButton->text(), QStringLiteral("Schließen"));

  // A language without a file brings every text back to English.
  pickLanguage(QStringLiteral("Klingon"));
  EXPECT_EQ(MainForm->popOpenPL->text(), QStringLiteral("Open Playlist"));
  EXPECT_EQ(MainForm->Equalizer->reverbLabel->text(), QStringLiteral("Reverb"));
  EXPECT_EQ(qv::l_connecting, QStringLiteral("connecting"));
  EXPECT_EQ(SettingsForm->windowTitle(), QStringLiteral("Settings"));
  EXPECT_EQ(SettingsForm->CloseButton->text(), QStringLiteral("Close"));

  pickLanguage(QStringLiteral("French"));
  run.finish();
  EXPECT_TRUE(run.profile.settingsText().contains("\"Language\"=\"French\""));
  EXPECT_TRUE(run.errors.isEmpty());
}

// On a first start the list shows English, the language of the built-in texts, and lists the
// languages by name; showing it writes nothing.
TEST(SettingsWindow, TheLanguageListIsSortedAndShowsEnglishBeforeAnyPick) {
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());
  QStringList entries;
  for (int i = 0; i < SettingsForm->LangBox->count(); ++i) {
    entries.append(SettingsForm->LangBox->itemText(i));
  }
  EXPECT_EQ(entries, (QStringList{QStringLiteral("English"), QStringLiteral("French"), QStringLiteral("German"),
                                  QStringLiteral("Klingon"), QStringLiteral("Spanish")}));
  EXPECT_EQ(SettingsForm->LangBox->currentText(), QStringLiteral("English"));
  run.finish();
  EXPECT_FALSE(run.profile.settingsText().contains("\"Language\"")) << "nothing was picked";
}

QString yesButtonText() {
  QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
  return box.button(QMessageBox::Yes)->text();
}

QStringList titleBarHints() {
  return {MainForm->MinimizeImage->toolTip(), MainForm->OntopImage->toolTip(), MainForm->SmallImage->toolTip(),
          MainForm->CloseImage->toolTip()};
}

// The title-bar buttons (minimize and compact mode look alike) say what they do, in the language.
TEST(SettingsWindow, TheTitleBarHintsFollowTheLanguage) {
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());
  EXPECT_EQ(titleBarHints(), (QStringList{QStringLiteral("Minimize"), QStringLiteral("Always on top"),
                                          QStringLiteral("Compact mode"), QStringLiteral("Close")}));
  pickLanguage(QStringLiteral("German"));
  EXPECT_EQ(titleBarHints(), (QStringList{QStringLiteral("Minimieren"), QStringLiteral("Immer im Vordergrund"),
                                          QStringLiteral("Kompaktmodus"), QStringLiteral("Schließen")}));
  pickLanguage(QStringLiteral("French"));
  EXPECT_EQ(titleBarHints(), (QStringList{QStringLiteral("Réduire"), QStringLiteral("Toujours au premier plan"),
                                          QStringLiteral("Mode compact"), QStringLiteral("Fermer")}));
  pickLanguage(QStringLiteral("English"));
  EXPECT_EQ(MainForm->MinimizeImage->toolTip(), QStringLiteral("Minimize"));
  run.finish();
}

// Qt's own buttons (Yes, No, OK, Cancel) follow the picked language, and come back to English.
TEST(SettingsWindow, QtsOwnButtonsFollowTheLanguage) {
  const QString qtFolder = qv::i18n::QtTranslations::folder();
  for (const char* file : {"/qtbase_de.qm", "/qtbase_fr.qm"}) {
    if (!QFileInfo::exists(qtFolder + QLatin1String(file))) {
      GTEST_SKIP() << "Qt's translation " << file << " is not in " << qtFolder.toStdString()
                   << " (Debian: qt6-translations-l10n, which scripts/install-deps.sh installs)";
    }
  }
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());
  EXPECT_EQ(yesButtonText(), QStringLiteral("&Yes"));
  pickLanguage(QStringLiteral("German"));
  EXPECT_EQ(yesButtonText(), QStringLiteral("&Ja"));
  pickLanguage(QStringLiteral("French"));
  EXPECT_EQ(yesButtonText(), QStringLiteral("&Oui"));
  pickLanguage(QStringLiteral("Klingon"));  // no language file: English, Qt's texts too
  EXPECT_EQ(yesButtonText(), QStringLiteral("&Yes"));
  run.finish();

  // A stored language applies Qt's translation at start-up too.
  run.profile.writeSettings({QStringLiteral("\"Language\"=\"German\"")});
  ASSERT_TRUE(run.start());
  EXPECT_EQ(yesButtonText(), QStringLiteral("&Ja"));
  run.finish();
  EXPECT_EQ(yesButtonText(), QStringLiteral("&Yes")) << "the translation goes with the main window";
}

// Each caption is as wide as its text needs, inside the window, and no two controls overlap, in
// every shipped language, with the window's own font and with a much wider one.
TEST(SettingsWindow, EveryControlFitsItsTextInEveryLanguageAndFont) {
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());
  SettingsForm->showUpdateOffer({QStringLiteral("9.9.9.9"), QString(), QString()});
  SettingsForm->show();

  QFont wide(QStringLiteral("DejaVu Sans"));
  wide.setPixelSize(16);
  wide.setBold(true);
  for (const QFont& font : {SettingsForm->font(), wide}) {
    SettingsForm->setFont(font);
    for (const char* language : {"Klingon", "German", "French", "Spanish"}) {
      pickLanguage(QLatin1String(language));
      QCoreApplication::processEvents();
      const QString where = QLatin1String(language) + QLatin1Char('/') + font.family();
      EXPECT_GE(SettingsForm->width(), 327);
      EXPECT_GE(SettingsForm->height(), 332);
      // Every control, not only those with a text; the product link is hidden in a build that
      // names no site.
      expectWholeAndApart(SettingsForm->findChildren<QWidget*>(Qt::FindDirectChildrenOnly), SettingsForm, where);
    }
  }
  run.finish();
}

// Levelling starts on at -16 LUFS, the crossfade on; the target can be set only while levelling is
// on, and every choice is kept for the next start.
TEST(SettingsWindow, LevellingIsOnAndCrossfadeOffByDefaultAndTheirChoicesAreKept) {
  ProgramRun run;
  ASSERT_TRUE(run.start());
  EXPECT_TRUE(SettingsForm->LevellingCheckBox->isChecked());
  EXPECT_EQ(SettingsForm->LevellingTargetSpin->value(), -16);
  EXPECT_TRUE(SettingsForm->LevellingTargetSpin->isEnabled());
  EXPECT_FALSE(SettingsForm->CrossfadeCheckBox->isChecked());
  SettingsForm->LevellingTargetSpin->setValue(-23);
  SettingsForm->LevellingCheckBox->setChecked(false);
  SettingsForm->CrossfadeCheckBox->setChecked(true);
  EXPECT_FALSE(SettingsForm->LevellingTargetSpin->isEnabled());
  run.finish();

  ASSERT_TRUE(run.start());
  EXPECT_FALSE(SettingsForm->LevellingCheckBox->isChecked());
  EXPECT_FALSE(SettingsForm->LevellingTargetSpin->isEnabled());
  EXPECT_EQ(SettingsForm->LevellingTargetSpin->value(), -23);
  EXPECT_TRUE(SettingsForm->CrossfadeCheckBox->isChecked());
  EXPECT_TRUE(run.profile.settingsText().contains("\"LevellingTarget\"=dword:ffffffe9\n"));
}

// The device list: "System default" first, then the devices as the system names them (SDL's dummy
// output names its one device). The choice is kept by name and used by the output at the next
// start; a stored device the system does not report stays chosen and listed, the default plays.
TEST(SettingsWindow, TheOutputDeviceListStartsWithTheDefaultAndTheChoiceIsKept) {
  ProgramRun run;
  ASSERT_TRUE(run.start());
  QComboBox* box = SettingsForm->OutputDeviceBox;
  const std::vector<std::string> devices = qv::engine::outputDevices();
  ASSERT_EQ(devices.size(), 1u);
  ASSERT_EQ(box->count(), 2);
  EXPECT_EQ(box->itemText(0), QStringLiteral("System default"));
  EXPECT_EQ(box->itemData(0).toString(), QString());
  EXPECT_EQ(box->itemText(1), QString::fromStdString(devices.front()));
  EXPECT_EQ(box->currentIndex(), 0);
  EXPECT_EQ(qv::engine::outputGetDevice(), "");
  box->setCurrentIndex(1);
  EXPECT_EQ(qv::engine::outputGetDevice(), devices.front()) << "a change applies at once";
  run.finish();
  EXPECT_TRUE(
      run.profile.settingsText().contains("\"OutputDevice\"=\"" + QByteArray(devices.front().c_str()) + "\"\n"));

  ASSERT_TRUE(run.start());
  EXPECT_EQ(SettingsForm->OutputDeviceBox->currentIndex(), 1);
  EXPECT_EQ(qv::engine::outputGetDevice(), devices.front()) << "the stored device is used from the start";
  run.finish();

  run.profile.writeSettings({QStringLiteral("\"OutputDevice\"=\"USB headset\"")});
  ASSERT_TRUE(run.start());
  box = SettingsForm->OutputDeviceBox;
  EXPECT_EQ(box->count(), 3);
  EXPECT_EQ(box->currentText(), QStringLiteral("USB headset"));
  EXPECT_EQ(qv::engine::outputGetDevice(), "") << "the default plays while it is missing";
  run.finish();
  EXPECT_TRUE(run.profile.settingsText().contains("\"OutputDevice\"=\"USB headset\"\n"));
}

TEST(SettingsWindow, ClosingHandsTheBufferLengthToTheNextStation) {
  ProgramRun run;
  ASSERT_TRUE(run.start());
  MainForm->Stations.replaceAll({{QStringLiteral("Nowhere"), QStringLiteral("http://127.0.0.1:9/"), {}, {}}});
  MainForm->CurrentStation = 0;

  // Escape, the close button and the close box each close (hide) the window and hand it on.
  const std::function<void()> ways[] = {
      [] { QTest::keyClick(SettingsForm, Qt::Key_Escape); },
      [] { SettingsForm->CloseButton->click(); },
      [] { SettingsForm->close(); },
  };
  int tenths = 20;
  for (const auto& close : ways) {
    SettingsForm->show();
    SettingsForm->bufferSE->setValue(tenths);
    close();
    EXPECT_TRUE(SettingsForm->isHidden());
    EXPECT_EQ(qv::engine::getConfig(qv::engine::Config::BufferMs), static_cast<std::uint32_t>(tenths * 100));
    ++tenths;
  }

  // The next station opens with it, and the field shows what the engine uses.
  SettingsForm->bufferSE->setValue(3);
  MainForm->Play();
  EXPECT_EQ(SettingsForm->bufferSE->value(), 22);
  run.finish();
  qv::engine::setConfig(qv::engine::Config::BufferMs, 500);
}

TEST(SettingsWindow, UpdateNoticeOffersTheDownloadOnlyOverHttps) {
  QList<QUrl> opened;
  const qv::ui::UrlOpener previous = qv::ui::setUrlOpener([&](const QUrl& url) { opened.append(url); });
  // A host on this machine that refuses at once: the check fails quietly, and the link names it.
  qputenv("QUORVENTALE_UPDATE_HOST", "127.0.0.1:9");
  ProgramRun run;
  ASSERT_TRUE(run.start());
  qunsetenv("QUORVENTALE_UPDATE_HOST");
  EXPECT_TRUE(SettingsForm->UpdateLabel->isHidden());
  QStringList questions;
  QList<bool> offered;
  SettingsForm->setUpdateQuestion([&](const QString& message, bool offersDownload) {
    questions.append(message);
    offered.append(offersDownload);
    return true;
  });

  SettingsForm->showUpdateOffer(
      {QStringLiteral("0.2.0"), QStringLiteral("Faster"), QStringLiteral("https://127.0.0.1/q")});
  EXPECT_FALSE(SettingsForm->UpdateLabel->isHidden());
  QTest::mouseClick(SettingsForm->UpdateLabel, Qt::LeftButton);
  ASSERT_EQ(questions.size(), 1);
  EXPECT_EQ(questions[0], QStringLiteral("New version founded:: 0.2.0\r\nCurrent version: 0.1.0.0\r\n"
                                         "What's new:: Faster\r\nDownload?"));
  EXPECT_TRUE(offered[0]);
  EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://127.0.0.1/q"))});

  for (const char* link : {"http://127.0.0.1/q", "file:///etc/passwd", "javascript:alert(1)", ""}) {
    opened.clear();
    SettingsForm->showUpdateOffer({QStringLiteral("0.2.0"), QString(), QLatin1String(link)});
    SettingsForm->UpdateLabelClick();
    EXPECT_FALSE(offered.last()) << link;
    EXPECT_FALSE(questions.last().contains(QLatin1String("Download?"))) << link;
    EXPECT_TRUE(opened.isEmpty()) << link;
  }

  opened.clear();
  EXPECT_EQ(SettingsForm->LinkLabel->text(), QStringLiteral("127.0.0.1:9"));
  QTest::mouseClick(SettingsForm->LinkLabel, Qt::LeftButton);
  EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://127.0.0.1:9/soft/quorventale-online-radio-player/"))});

  run.finish();
  qv::ui::setUrlOpener(previous);
  EXPECT_TRUE(run.errors.isEmpty());
}

}  // namespace

namespace {

// The station editor is created after the main window has applied the stored language; making it
// must not put the program-wide texts (questions, status lines) back to English.
TEST(SettingsWindow, AStoredLanguageHoldsForTheProgramWideTextsAfterStartUp) {
  ProgramRun run;
  addLanguages(run.profile);
  run.profile.writeSettings({QStringLiteral(R"("Language"="German")")});
  ASSERT_TRUE(run.start());

  EXPECT_EQ(qv::l_mergequestion, QStringLiteral("Was soll mit den neuen Sendern geschehen?"));
  EXPECT_EQ(qv::l_savefirst, QStringLiteral("Aktuelle Wiedergabeliste vor dem Öffnen einer neuen speichern?"));
  EXPECT_EQ(qv::l_connecting, QStringLiteral("verbinde"));
  EXPECT_EQ(MainForm->l_cancel, QStringLiteral("Abbrechen"));
  run.finish();
}

}  // namespace
