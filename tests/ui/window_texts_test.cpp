// The windows' texts in every shipped language: every menu follows a language change at once and
// after a restart, no text is cut or runs into another, in the main window, the popup, the station
// editor and the history window, and the information panel keeps its texts apart for every report.
#include "../playback/qstring_printer.h"
#include "directory_texts.h"
#include "history_window.h"
#include "listening.h"
#include "listening_texts.h"
#include "program_run.h"
#include "shipped_languages.h"
#include "sleep_timer_control.h"
#include "sound/eq_panel.h"
#include "station_list/station_list_panel.h"
#include "status_report.h"
#include "text_fit.h"
#include "tray.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QStringList captions(const QMenu* menu) {
  QStringList texts;
  for (const QAction* action : menu->actions()) {
    texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return texts;
}

QMenu* submenuNamed(const QMenu* menu, const QString& name) {
  for (const QAction* action : menu->actions()) {
    if (action->menu() && action->menu()->objectName() == name) {
      return action->menu();
    }
  }
  return nullptr;
}

// What every menu should read in a language whose file has `lines` (English: the built-in texts).
struct MenuTexts {
  explicit MenuTexts(const QStringList& lines) : m_lines(lines) {}
  QString line(int n) const { return m_lines[n]; }

  QStringList playlistMenu(const QString& timeLeft) const {
    return {line(2),  line(3),  line(4), QStringLiteral("-"), line(78), sleepCaption(timeLeft), QStringLiteral("-"),
            line(88), line(110)};
  }
  QStringList trayMenu(const QString& timeLeft) const {
    return {line(1),  QStringLiteral("-"),    line(24), line(25), line(28), QStringLiteral("-"), line(29),
            line(31), sleepCaption(timeLeft), line(88), line(32)};
  }
  QStringList sleepMenu() const {
    QStringList texts;
    for (const int minutes : {15, 30, 45, 60, 90}) {
      texts.append(line(75).arg(minutes));
    }
    return texts + QStringList{line(76), QStringLiteral("-"), line(74)};
  }
  QString sleepCaption(const QString& timeLeft) const {
    return timeLeft.isEmpty() ? line(73) : line(73) + QStringLiteral(" (") + timeLeft + QLatin1Char(')');
  }

 private:
  QStringList m_lines;
};

QStringList englishLines() {
  QStringList lines{QString()};
  for (int line = 1; line <= qv::i18n::listeningTexts().back().line; ++line) {
    lines.append(line <= qv::i18n::kInterfaceTextCount ? qv::i18n::builtInText(line) : QString());
  }
  for (const qv::i18n::ListeningText& text : qv::i18n::listeningTexts()) {
    lines[text.line] = QString::fromUtf8(text.builtIn);
  }
  for (const qv::i18n::DirectoryText& text : qv::i18n::directoryTexts()) {
    lines[text.line] = QString::fromUtf8(text.builtIn);
  }
  return lines;
}

void expectMenusIn(const MenuTexts& expected, const QString& timeLeft, const QString& where) {
  SCOPED_TRACE(where.toStdString());
  QMenu* playlist = MainForm->PlaylistButtonPopup;
  QMenu* tray = MainForm->tray().TrayPopup;
  EXPECT_EQ(captions(playlist), expected.playlistMenu(timeLeft));
  EXPECT_EQ(captions(tray), expected.trayMenu(timeLeft));
  for (const QMenu* menu : {playlist, tray}) {
    const QMenu* sleep = submenuNamed(menu, QStringLiteral("SleepTimerMenu"));
    ASSERT_NE(sleep, nullptr);
    EXPECT_EQ(captions(sleep), expected.sleepMenu());
  }
  EXPECT_EQ(captions(MainForm->StationsPanel->StationsPopup), (QStringList{expected.line(21), expected.line(22)}));
  EXPECT_EQ(captions(MainForm->StationsPanel->RecentPLPopup), (QStringList{expected.line(22), expected.line(23)}));
  // A fresh profile's recent list shows only its placeholder row.
  ASSERT_EQ(MainForm->ListsListBox->count(), 1);
  EXPECT_EQ(MainForm->ListsListBox->item(0)->text(), expected.line(71));
  EXPECT_EQ(MainForm->tray().TrayIcon1->toolTip(),
            timeLeft.isEmpty() ? QString() : expected.line(73) + QStringLiteral(": ") + timeLeft);

  qv::ui::HistoryWindow& history = MainForm->listening().showHistory();
  EXPECT_EQ(history.windowTitle(), expected.line(78));
  EXPECT_EQ(history.searchBox()->placeholderText(), expected.line(87));
  QStringList buttons;
  for (const char* name : {"HistoryCopy", "HistoryWeb", "HistoryPlay", "HistoryExport", "HistoryClear"}) {
    const auto* button = history.findChild<QPushButton*>(QLatin1String(name));
    buttons.append(button ? button->text() : QString());
  }
  const QStringList commands{expected.line(79), expected.line(80), expected.line(81), expected.line(82),
                             expected.line(83)};
  EXPECT_EQ(buttons, commands);
  QStringList rowMenu;
  for (const QAction* action : history.list()->actions()) {
    rowMenu.append(action->text());
  }
  EXPECT_EQ(rowMenu, commands);
  history.close();
}

TEST(WindowTexts, EveryMenuFollowsALanguageChangeAtOnceAndAfterARestart) {
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());
  // The history window exists before the change too: it follows as the menus do.
  MainForm->listening().showHistory().close();
  // A running timer: its caption and the tray's tooltip carry the time left in each language.
  qv::playback::SleepTimerControl& timer = MainForm->listening().sleepTimer();
  const auto start = qv::playback::SleepTimer::Clock::now();
  timer.setClock([start] { return start; });
  timer.start(std::chrono::minutes(15));

  expectMenusIn(MenuTexts(englishLines()), QStringLiteral("15:00"), QStringLiteral("English at start"));
  for (const char* language : {"German", "French", "Spanish"}) {
    pickLanguage(QLatin1String(language));
    expectMenusIn(MenuTexts(shippedLanguageLines(QLatin1String(language))), QStringLiteral("15:00"),
                  QLatin1String(language));
  }
  pickLanguage(QStringLiteral("Klingon"));
  expectMenusIn(MenuTexts(englishLines()), QStringLiteral("15:00"), QStringLiteral("back to English"));

  // Read from the settings at the next start, before any menu is opened.
  pickLanguage(QStringLiteral("German"));
  timer.cancel();
  run.finish();
  ASSERT_TRUE(run.start());
  const MenuTexts german(shippedLanguageLines(QStringLiteral("German")));
  expectMenusIn(german, QString(), QStringLiteral("German after a restart"));
  // Every window is made by then: none of them brought the program-wide texts back to English.
  EXPECT_EQ(qv::l_cantplay, german.line(14));
  EXPECT_EQ(qv::l_sleeptimer, german.line(73));
  run.finish();
}

// The main window with the equalizer shown, the popup with a title, the station editor and the
// history window, at their first sizes, in English and every shipped language.
TEST(WindowTexts, NoTextIsCutInAnyWindowAndLanguage) {
  ProgramRun run;
  addLanguages(run.profile);
  ASSERT_TRUE(run.start());
  MainForm->EQPanel->show();
  MainForm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  PopupForm->setTrackText(QStringLiteral("Radio"));
  PopupForm->show();
  AddEditForm->setTexts(MainForm);
  AddEditForm->show();
  qv::ui::HistoryWindow& history = MainForm->listening().showHistory();

  for (const char* language : {"Klingon", "German", "French", "Spanish"}) {
    pickLanguage(QLatin1String(language));
    AddEditForm->FormShow();
    QCoreApplication::processEvents();
    const QString where = QLatin1String(language);
    const QList<QWidget*> mainTexts = textControls(MainForm);
    EXPECT_TRUE(mainTexts.contains(MainForm->Equalizer->presetsLabel)) << language;
    expectWholeAndApart(mainTexts, MainForm, where + QStringLiteral(" main window"));
    expectWholeAndApart(textControls(PopupForm), PopupForm, where + QStringLiteral(" popup"));
    // Every control of the editor: a caption must not run under its field either.
    expectWholeAndApart(AddEditForm->findChildren<QWidget*>(Qt::FindDirectChildrenOnly), AddEditForm,
                        where + QStringLiteral(" editor"));
    expectWholeAndApart(textControls(&history), &history, where + QStringLiteral(" history"));
  }
  AddEditForm->reject();
  history.close();
  run.finish();
}

// Each report of the stream opener, the header pass and the title reader, alone and after the
// others, at the first-start size: the texts of the information panel stay apart and above the
// buttons; an error's two lines do not run into the status line.
TEST(InformationPanel, NoTextRunsIntoAnotherForAnyReport) {
  using qv::playback::ReportCode;
  using qv::playback::StatusReport;
  ProgramRun run;
  ASSERT_TRUE(run.start());
  MainForm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));

  const QString longTitle = QStringLiteral(
      "An artist with a rather long name - A song whose title goes on and on, well past the end of the panel, "
      "and then some more words");
  const StatusReport reports[] = {
      StatusReport::connecting(),
      StatusReport::serverStatus("HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n"),
      StatusReport::failed(11),
      StatusReport::buffering(40),
      {ReportCode::StationName, 0, QStringLiteral("Radio Example \u2013 Jazz (Jazz)")},
      {ReportCode::BitrateLine, 0, QStringLiteral("Bitrate 128")},
      StatusReport::title(QStringLiteral("Artist - Title")),
      StatusReport::title(longTitle),
      StatusReport::failed(0),
      StatusReport::serverStatus("ICY 200 OK\r\n\r\n"),
      StatusReport::failed(11),
  };
  const QWidget* panel = MainForm->LargeInfoPanel;
  const int buttonsTop = MainForm->PreviousImage->y();
  for (const StatusReport& report : reports) {
    MainForm->StreamStatusMessage(report);
    QCoreApplication::processEvents();
    const QString where = QStringLiteral("after report %1 \"%2\"").arg(int(report.code)).arg(report.text.left(20));
    QList<QWidget*> texts = textControls(panel);
    for (const QWidget* text : texts) {
      EXPECT_LE(text->geometry().bottom(), buttonsTop - 1)
          << where.toStdString() << " " << text->objectName().toStdString();
    }
    // A title longer than the room above the station label loses its end rather than run into it.
    if (MainForm->TrackLabel->text() == longTitle) {
      EXPECT_LT(MainForm->TrackLabel->geometry().bottom(), MainForm->StationLabel->y()) << where.toStdString();
      texts.removeOne(MainForm->TrackLabel);
    }
    expectWholeAndApart(texts, panel, where);
  }
  EXPECT_TRUE(MainForm->StationLabel->text().contains(QLatin1Char('\n')));
  run.finish();
}

}  // namespace
