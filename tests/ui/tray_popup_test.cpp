// The tray icon with its menu, hiding to the tray, and the popup player's place and edges, on the
// offscreen platform.
#include "image_button.h"
#include "interface_texts.h"
#include "listening.h"
#include "popup_geometry.h"
#include "program_run.h"
#include "sleep_timer.h"
#include "sleep_timer_control.h"
#include "tray.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using qv::ui::frame::ResizeZone;

TEST(PopupGeometry, BottomRightOfTheWorkAreaTenPixelsIn) {
  struct Case {
    const char* name;
    QRect workArea;
    QPoint expected;
  };
  const Case cases[] = {
      {"panel at the bottom", {0, 0, 1920, 1040}, {1920 - 310 - 10, 1040 - 34 - 10}},
      {"panel at the top", {0, 32, 1920, 1048}, {1920 - 310 - 10, 32 + 1048 - 34 - 10}},
      {"second screen to the right", {1920, 0, 1280, 1024}, {1920 + 1280 - 310 - 10, 1024 - 34 - 10}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qv::ui::popupPosition(c.workArea, QSize(310, 34)), c.expected) << c.name;
  }
}

TEST(PopupGeometry, OnlyTheLeftAndRightEdgesResize) {
  struct Case {
    int x;
    ResizeZone zone;
  };
  const Case cases[] = {{0, ResizeZone::Left},   {7, ResizeZone::Left},   {8, ResizeZone::None},
                        {150, ResizeZone::None}, {302, ResizeZone::None}, {303, ResizeZone::Right},
                        {309, ResizeZone::Right}};
  for (const Case& c : cases) {
    for (const int y : {0, 17, 33}) {  // the same at the top and bottom: it never gets taller
      EXPECT_EQ(qv::ui::popupZone(QPoint(c.x, y), 310), c.zone) << c.x << "," << y;
    }
  }
}

class TrayAndPopup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run.start());
    MainForm->Stations.replaceAll({{QStringLiteral("Jazz FM"), {}, QStringLiteral("jazz"), {}},
                                   {QStringLiteral("Rock One"), {}, QStringLiteral("rock"), {}},
                                   {QStringLiteral("Jazz Two"), {}, QStringLiteral("jazz"), {}}});
    MainForm->tray().setAvailability([] { return true; });  // the desktop shows tray icons
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
  }
  void TearDown() override { run.finish(); }

  static QStringList captions(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
  }
  //! The Stations submenu as it is made when it opens.
  static QMenu* openedStations() {
    QMenu* stations = MainForm->tray().Stations1;
    emit stations->aboutToShow();
    return stations;
  }
  static QStringList marked(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      if (!action->icon().isNull()) {
        texts.append(action->text());
      }
    }
    return texts;
  }

  ProgramRun run;
};

TEST_F(TrayAndPopup, TheMenuListsEveryStationAndPlaysTheOneAnItemNames) {
  qv::ui::TrayIcon& tray = MainForm->tray();
  EXPECT_EQ(
      captions(tray.TrayPopup),
      (QStringList{QStringLiteral("Restore"), QStringLiteral("-"), QStringLiteral("Previous"), QStringLiteral("Play"),
                   QStringLiteral("Next"), QStringLiteral("-"), QStringLiteral("Mute"), QStringLiteral("Stations"),
                   QStringLiteral("Sleep timer"), QStringLiteral("Find stations\u2026"), QStringLiteral("Exit")}));
  const QStringList all{QStringLiteral("1. Jazz FM"), QStringLiteral("2. Rock One"), QStringLiteral("3. Jazz Two")};
  EXPECT_EQ(captions(openedStations()), all);

  // A short list is listed whole while a filter shows part of it, with the numbers of the list.
  MainForm->SearchEdit->setText(QStringLiteral("jazz"));
  ASSERT_TRUE(MainForm->Stations.FilterActive());
  EXPECT_EQ(captions(openedStations()), all);

  // "3. Jazz Two" is row 2 of the filtered list: it plays there, and carries the mark.
  // The links are empty: each play fails at once, before the next one is asked for.
  const auto played = [] {
    return QTest::qWaitFor([] { return MainForm->StationLabel->text().startsWith(qv::l_cantplay); }, 5000);
  };
  openedStations()->actions()[2]->trigger();
  EXPECT_TRUE(played());
  MainForm->StationLabel->clear();
  EXPECT_TRUE(MainForm->Stations.FilterActive());
  EXPECT_EQ(MainForm->CurrentStation, 1);
  EXPECT_EQ(marked(openedStations()), QStringList{QStringLiteral("3. Jazz Two")});

  // "2. Rock One" is hidden by the filter: the filter goes, and the station the item names plays.
  openedStations()->actions()[1]->trigger();
  EXPECT_TRUE(played());
  EXPECT_FALSE(MainForm->Stations.FilterActive());
  EXPECT_TRUE(MainForm->SearchEdit->text().isEmpty());
  EXPECT_EQ(MainForm->CurrentStation, 1);
  EXPECT_EQ(marked(openedStations()), QStringList{QStringLiteral("2. Rock One")});

  // A changed list shows in the submenu the next time it opens; the mark stays on the entry it names.
  MainForm->Stations.appendStations({{QStringLiteral("News"), {}, {}, {}}});
  EXPECT_EQ(captions(openedStations()).size(), 4);
  EXPECT_EQ(marked(openedStations()), QStringList{QStringLiteral("2. Rock One")});
}

// Names are the user's: an "&" in them is shown, not taken as the mark of a shortcut key.
TEST_F(TrayAndPopup, AnAmpersandInAStationNameIsShownAsItIs) {
  MainForm->Stations.replaceAll(
      {{QStringLiteral("Rock, Pop & More"), {}, {}, {}}, {QStringLiteral("R&B && Soul &"), {}, {}, {}}});
  QStringList shown;
  for (const QAction* action : openedStations()->actions()) {
    shown.append(action->iconText());  // the text as the menu draws it, without shortcut marks
  }
  EXPECT_EQ(shown, (QStringList{QStringLiteral("1. Rock, Pop & More"), QStringLiteral("2. R&B && Soul &")}));
}

// A long list is not put into the menu at start, one entry per station: the submenu is made when it
// opens, from the stations around the current one and the first ones of the filter, capped, and
// its last entry shows the whole list in the main window.
TEST_F(TrayAndPopup, ALongListGivesAShortSubmenuMadeWhenItOpens) {
  std::vector<qv::stations::StationEntry> stations;
  for (int n = 0; n < 5000; ++n) {
    stations.push_back(
        {QStringLiteral("Station %1%2").arg(n).arg(n % 2 ? QStringLiteral(" odd") : QString()), {}, {}, {}});
  }
  MainForm->Stations.replaceAll(stations);
  QMenu* submenu = MainForm->tray().Stations1;
  EXPECT_TRUE(submenu->actions().isEmpty()) << "nothing is made before the submenu opens";

  const auto stationItems = [](const QMenu* menu) {
    QList<int> indexes;
    for (const QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->data().isValid()) {
        indexes.append(action->data().toInt());
      }
    }
    return indexes;
  };
  const auto range = [](int from, int to) {
    QList<int> indexes;
    for (int index = from; index <= to; ++index) {
      indexes.append(index);
    }
    return indexes;
  };
  constexpr int kAround = qv::ui::TrayIcon::kAroundCurrent;
  constexpr int kMax = qv::ui::TrayIcon::kMaxStationItems;
  struct Case {
    const char* name;
    int current;
    const char* filter;
    QList<int> expected;
  };
  QList<int> oddFirst;  // the filter's first ones, after the 21 around station 3000
  for (int index = 1; oddFirst.size() < kMax - (2 * kAround + 1); index += 2) {
    oddFirst.append(index);
  }
  const Case cases[] = {
      {"the first station", 0, "", range(0, kMax - 1)},
      {"in the middle", 3000, "", range(3000 - kAround, 3000 + kAround) + range(0, kMax - 2 * kAround - 2)},
      {"the last station", 4999, "", range(4999 - 2 * kAround, 4999) + range(0, kMax - 2 * kAround - 2)},
      {"a filter", 3000, "odd", range(3000 - kAround, 3000 + kAround) + oddFirst},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MainForm->SearchEdit->clear();
    MainForm->tray().markStation(c.current);
    MainForm->SearchEdit->setText(QLatin1String(c.filter));
    const QList<int> items = stationItems(openedStations());
    EXPECT_EQ(items, c.expected);
    EXPECT_LE(items.size(), kMax);
    EXPECT_EQ(marked(submenu).size(), 1);
    EXPECT_EQ(submenu->actions().last()->text(), QStringLiteral("Stations\u2026"));
  }

  // The last entry brings the main window back with its station list shown and focused.
  MainForm->SearchEdit->clear();
  MainForm->PlaylistPanel->hide();
  MainForm->hide();
  openedStations()->actions().last()->trigger();
  EXPECT_TRUE(MainForm->isVisible());
  EXPECT_TRUE(MainForm->PlaylistPanel->isVisible());
  EXPECT_EQ(MainForm->focusWidget(), static_cast<QWidget*>(MainForm->StationsList));
}

// The sleep timer's captions and the tray's tooltip count down on the second while it runs.
TEST_F(TrayAndPopup, TheSleepTimerCaptionAndTooltipCountDown) {
  using Clock = qv::playback::SleepTimer::Clock;
  qv::playback::SleepTimerControl& timer = MainForm->listening().sleepTimer();
  Clock::time_point now = Clock::now();
  timer.setClock([&now] { return now; });
  timer.setTickInterval(std::chrono::milliseconds(5));
  const QMenu* sleepMenus[] = {MainForm->tray().TrayPopup->findChild<QMenu*>(QStringLiteral("SleepTimerMenu")),
                               MainForm->PlaylistButtonPopup->findChild<QMenu*>(QStringLiteral("SleepTimerMenu"))};
  for (const QMenu* menu : sleepMenus) {
    ASSERT_NE(menu, nullptr);
  }
  const auto shows = [&](const QString& left) {
    return QTest::qWaitFor(
        [&] {
          for (const QMenu* menu : sleepMenus) {
            if (menu->title() != QStringLiteral("Sleep timer (") + left + QLatin1Char(')')) {
              return false;
            }
          }
          return MainForm->tray().TrayIcon1->toolTip() == QStringLiteral("Sleep timer: ") + left;
        },
        1000);
  };

  const Clock::time_point started = now;
  timer.start(std::chrono::minutes(1));
  EXPECT_TRUE(shows(QStringLiteral("1:00")));
  // On the second as the clock goes, also where a quarter second changes nothing shown.
  struct Step {
    int elapsedMs;
    const char* left;
  };
  const Step steps[] = {{250, "1:00"}, {1000, "0:59"}, {1250, "0:59"}, {21000, "0:39"}, {59500, "0:01"}};
  for (const Step& step : steps) {
    now = started + std::chrono::milliseconds(step.elapsedMs);
    EXPECT_TRUE(shows(QLatin1String(step.left))) << step.elapsedMs;
  }
  timer.cancel();
  EXPECT_EQ(sleepMenus[0]->title(), QStringLiteral("Sleep timer"));
  EXPECT_TRUE(MainForm->tray().TrayIcon1->toolTip().isEmpty());
}

// Minimizing through the platform (the taskbar button) hides to the tray whenever the option is on;
// the window's own button does so only when the option was on at start-up (`OnMinimizeProc`).
TEST_F(TrayAndPopup, MinimizingHidesToTheTrayAndADoubleClickBringsTheWindowBack) {
  struct Case {
    const char* name;
    bool hookInstalled;
    bool ownButton;
    bool hidden;
    bool stillMinimized;  // hidden by its own button: minimized, then hidden
  };
  const Case cases[] = {
      {"platform, option on", false, false, true, false},
      {"own button, option on, no hook", false, true, false, true},
      {"own button, option on, hook", true, true, true, true},
  };
  SettingsForm->TrayCheckBox->setChecked(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.hookInstalled) {
      MainForm->installMinimiseToTray();
    }
    if (c.ownButton) {
      MainForm->MinimizeImageClick();
    } else {
      MainForm->setWindowState(Qt::WindowMinimized);
    }
    EXPECT_EQ(QTest::qWaitFor([] { return !MainForm->isVisible(); }, 500), c.hidden);
    EXPECT_EQ(MainForm->tray().isVisible(), c.hidden);
    EXPECT_EQ(MainForm->isMinimized(), c.stillMinimized);

    MainForm->TrayIcon1DblClick();
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_FALSE(MainForm->isMinimized());
    EXPECT_FALSE(MainForm->tray().isVisible());
  }

  // With the option off, minimizing only minimizes.
  SettingsForm->TrayCheckBox->setChecked(false);
  MainForm->setWindowState(Qt::WindowMinimized);
  QTest::qWait(50);
  EXPECT_TRUE(MainForm->isVisible());
  EXPECT_FALSE(MainForm->tray().isVisible());
  MainForm->showNormal();
}

// A desktop without a tray would leave a hidden window no way back: it minimizes instead, and the
// compact popup keeps a taskbar button.
TEST_F(TrayAndPopup, WithoutATrayOnTheDesktopNothingHidesToIt) {
  MainForm->tray().setAvailability([] { return false; });
  SettingsForm->TrayCheckBox->setChecked(true);
  MainForm->installMinimiseToTray();
  MainForm->MinimizeImageClick();
  QTest::qWait(50);
  EXPECT_TRUE(MainForm->isVisible());
  EXPECT_TRUE(MainForm->isMinimized());
  EXPECT_FALSE(MainForm->tray().isVisible());

  MainForm->showNormal();
  QTest::mouseClick(MainForm->SmallImage, Qt::LeftButton);
  EXPECT_TRUE(PopupForm->isVisible());
  EXPECT_EQ(PopupForm->windowType(), Qt::Window);
  EXPECT_FALSE(MainForm->tray().isVisible());
}

TEST_F(TrayAndPopup, ThePopupIsMadeWiderFromEitherEdgeAndItsButtonsAndIconWork) {
  QTest::mouseClick(MainForm->SmallImage, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(PopupForm));
  QWindow* window = PopupForm->windowHandle();
  EXPECT_EQ(window->title(), QStringLiteral("Quorventale")) << "the taskbar names the popup by it";
  const QRect start = PopupForm->geometry();

  // Dragging the left edge 40 pixels to the left: wider, the right edge stays, never taller.
  // The pointer's path is fixed on the screen while the window's left edge moves under it.
  const auto local = [&](int screenX) { return QPoint(screenX - PopupForm->x(), 17); };
  QTest::mousePress(window, Qt::LeftButton, {}, local(start.x() + 2));
  QTest::mouseMove(window, local(start.x() - 18));
  QTest::mouseMove(window, local(start.x() - 38));
  QTest::mouseRelease(window, Qt::LeftButton, {}, local(start.x() - 38));
  EXPECT_EQ(PopupForm->width(), start.width() + 40);
  EXPECT_EQ(PopupForm->geometry().right(), start.right());
  EXPECT_EQ(PopupForm->height(), 34);

  // The buttons light up under the pointer; the icon's right-click opens the tray menu.
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(PopupForm->NextImage, &enter);
  EXPECT_EQ(PopupForm->NextImage->image(), QStringLiteral("PngNext_1"));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(PopupForm->NextImage, &leave);
  EXPECT_EQ(PopupForm->NextImage->image(), QStringLiteral("PngNext_2"));
  QTest::mousePress(PopupForm->AppImage, Qt::RightButton);
  EXPECT_TRUE(QTest::qWaitFor([] { return MainForm->tray().TrayPopup->isVisible(); }, 1000));
  MainForm->tray().TrayPopup->close();

  // Next on the popup is the main window's Next.
  MainForm->CurrentStation = 0;
  SettingsForm->LoopStationCheckBox->setChecked(false);
  QTest::mouseClick(PopupForm->NextImage, Qt::LeftButton);
  EXPECT_EQ(MainForm->CurrentStation, 1);
}

}  // namespace
