// The main window as the user meets it: its skin, start images, hover swaps, frame, moving,
// resizing and splitters, on the offscreen platform.
#include "image_button.h"
#include "program_run.h"
#include "splitter_bar.h"
#include "status_report.h"
#include "tray.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

void enter(QWidget* widget) {
  QEnterEvent event(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
  QCoreApplication::sendEvent(widget, &event);
}

void leave(QWidget* widget) {
  QEvent event(QEvent::Leave);
  QCoreApplication::sendEvent(widget, &event);
}

TEST(Skin, EveryImageAtItsSizeAndBothScales) {
  struct Size {
    const char* prefix;
    QSize size;
  };
  const Size sizes[] = {{"PngClose", {12, 12}},   {"PngHide", {12, 12}},  {"PngMin", {12, 12}},
                        {"PngTop", {12, 12}},     {"PngUntop", {12, 12}}, {"PngStationLogo4", {1000, 1000}},
                        {"PngVolume", {100, 24}}, {"Png", {24, 24}}};
  qv::ui::Skin skin;
  ASSERT_EQ(skin.load(), qv::StageOutcome::Done);
  for (const char* raw : qv::ui::kSkinImageNames) {
    const QString name = QLatin1String(raw);
    const Size* expected = std::find_if(std::begin(sizes), std::end(sizes),
                                        [&](const Size& s) { return name.startsWith(QLatin1String(s.prefix)); });
    EXPECT_EQ(skin.image(name).size(), expected->size) << raw;
    if (name != QLatin1String("PngStationLogo4")) {
      EXPECT_EQ(QImage(QStringLiteral(":/skin/%1@2x.png").arg(name)).size(), expected->size * 2) << raw;
    }
  }
  for (const char* icon : {"PlayIcon", "StopIcon", "SoundIcon", "MenuChevron"}) {
    EXPECT_FALSE(qv::ui::resourceIcon(QLatin1String(icon)).pixmap(16).isNull()) << icon;
  }
  EXPECT_EQ(qv::ui::applicationIcon().availableSizes().size(), 3);
  skin.release();
  EXPECT_TRUE(skin.image(QStringLiteral("PngPlay_2")).isNull());
}

// _1 highlighted white, _2 light grey with a dark outline, _3 flat dimmed grey without it.
TEST(Skin, TheSuffixGivesTheLook) {
  qv::ui::Skin skin;
  ASSERT_EQ(skin.load(), qv::StageOutcome::Done);
  const auto look = [&](const char* name) {
    const QImage image = skin.image(QLatin1String(name)).toImage();
    int darkOutline = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        darkOutline += c.alpha() > 200 && c.red() < 0x40 ? 1 : 0;
      }
    }
    // The middle of the play triangle is its face.
    return std::pair(image.pixelColor(image.width() * 11 / 24, image.height() / 2).rgb() & 0xFFFFFF, darkOutline);
  };
  EXPECT_EQ(look("PngPlay_1").first, 0xFFFFFFu);
  EXPECT_EQ(look("PngPlay_2").first, 0xB4B4B4u);
  EXPECT_EQ(look("PngPlay_3").first, 0x6A6A6Au);
  EXPECT_GT(look("PngPlay_1").second, 0);
  EXPECT_GT(look("PngPlay_2").second, 0);
  EXPECT_EQ(look("PngPlay_3").second, 0);
}

class MainWindow : public ::testing::Test {
 protected:
  void startShown(const QStringList& stored = {}) {
    if (!stored.isEmpty()) {
      run.profile.writeSettings(stored);
    }
    ASSERT_TRUE(run.start());
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    window = MainForm->windowHandle();
  }
  void TearDown() override {
    if (MainForm) {
      run.finish();
    }
  }

  // A press, a move in two steps and a release through the platform window, as the user drags. The
  // pointer's path is fixed on the screen while the window moves under it.
  void drag(QPoint from, QPoint to) {
    const QPoint origin = MainForm->geometry().topLeft();
    const auto local = [&](QPoint inWindowAtStart) {
      return inWindowAtStart + origin - MainForm->geometry().topLeft();
    };
    QTest::mousePress(window, Qt::LeftButton, {}, local(from));
    QTest::mouseMove(window, local((from + to) / 2));
    QTest::mouseMove(window, local(to));
    QTest::mouseRelease(window, Qt::LeftButton, {}, local(to));
  }

  ProgramRun run;
  QWindow* window = nullptr;
};

TEST_F(MainWindow, FirstStartShowsTheStartImagesWithoutATitleBar) {
  startShown();
  EXPECT_TRUE(MainForm->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(MainForm->windowTitle(), QStringLiteral("Quorventale"));
  EXPECT_EQ(MainForm->size(), QSize(418, 314));
  EXPECT_TRUE(MainForm->skin().isLoaded());
  const std::pair<qv::ui::ImageButton*, const char*> startImages[] = {
      {MainForm->CloseImage, "PngClose_2"},
      {MainForm->SmallImage, "PngMin_2"},
      {MainForm->MinimizeImage, "PngHide_2"},
      {MainForm->OntopImage, "PngTop_2"},
      {MainForm->PlayStopImage, "PngPlay_2"},
      {MainForm->PreviousImage, "PngPrevious_2"},
      {MainForm->NextImage, "PngNext_2"},
      {MainForm->iMenu, "PngMenu_2"},
      {MainForm->VolEmptyImage, "PngVolume_1"},
      {MainForm->VolFullImage, "PngVolume_2"},
      {MainForm->EQImage, "PngEQ_2"},
      {MainForm->MuteImage, "PngSound_2"},
      {MainForm->SettingsImage, "PngSettings_2"},
  };
  for (const auto& [button, image] : startImages) {
    EXPECT_EQ(button->image(), QLatin1String(image)) << button->objectName().toStdString();
  }
  EXPECT_FALSE(MainForm->LogoImage->pixmap().isNull());
  EXPECT_EQ(MainForm->VolEmptyImage->size(), QSize(100, 24));

  // Every button of the information panel is whole at the first-start size.
  const int panelWidth = MainForm->LargeInfoPanel->width();
  for (const auto& [button, image] : startImages) {
    if (button->parentWidget() == MainForm->LargeInfoPanel) {
      EXPECT_TRUE(MainForm->LargeInfoPanel->rect().contains(button->geometry()))
          << button->objectName().toStdString() << " ends at " << button->geometry().right() << " of " << panelWidth;
    }
  }

  // The window buttons keep their distance from the right edge.
  EXPECT_EQ(MainForm->CloseImage->geometry(), QRect(panelWidth - 20, 8, 12, 12));
  EXPECT_EQ(MainForm->MinimizeImage->geometry(), QRect(panelWidth - 74, 8, 12, 12));
  MainForm->resize(600, 400);
  QCoreApplication::processEvents();
  EXPECT_EQ(MainForm->CloseImage->x(), MainForm->LargeInfoPanel->width() - 20);
  EXPECT_EQ(MainForm->TrackLabel->width(), MainForm->LargeInfoPanel->width() - 12);
  // The station and status labels fit their text whenever it changes.
  MainForm->StationLabel->setText(QStringLiteral("A station with a long name"));
  MainForm->StatusLabel->setText(QStringLiteral("128 kbps"));
  QCoreApplication::processEvents();
  EXPECT_EQ(MainForm->StationLabel->geometry(), QRect(QPoint(6, 61), MainForm->StationLabel->sizeHint()));
  EXPECT_EQ(MainForm->StatusLabel->geometry(), QRect(QPoint(23, 78), MainForm->StatusLabel->sizeHint()));

  MainForm->close();
  EXPECT_FALSE(MainForm->skin().isLoaded()) << "the skin is released when the window closes";
}

// A long title wraps across the panel, and stays wrapped through later layout passes.
TEST_F(MainWindow, ALongTitleStaysWrappedAfterTheEventLoop) {
  startShown();
  const QString title = QStringLiteral("An artist with a long name - A song whose title goes on well past the panel");
  MainForm->StreamStatusMessage(qv::playback::StatusReport::title(title));
  MainForm->StationLabel->setText(QStringLiteral("Radio"));  // another label's change lays the panel out again
  MainForm->resize(MainForm->width() + 10, MainForm->height());
  QTest::qWait(50);
  QCoreApplication::processEvents();
  EXPECT_TRUE(MainForm->TrackLabel->wordWrap());
  EXPECT_EQ(MainForm->TrackLabel->width(), MainForm->LargeInfoPanel->width() - MainForm->TrackLabel->x());
  EXPECT_GT(MainForm->TrackLabel->height(), 17) << "more than one line";
  EXPECT_EQ(MainForm->TrackLabel->height(), MainForm->TrackLabel->heightForWidth(MainForm->TrackLabel->width()));

  // The layout has settled: an idle window asks for no more passes.
  struct LayoutCount : QObject {
    int requests = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      requests += event->type() == QEvent::LayoutRequest ? 1 : 0;
      return false;
    }
  } count;
  MainForm->LargeInfoPanel->installEventFilter(&count);
  QTest::qWait(200);
  MainForm->LargeInfoPanel->removeEventFilter(&count);
  EXPECT_LE(count.requests, 1);
}

// A list rebuilt empty leaves nothing to play: the play button is dimmed.
TEST_F(MainWindow, AListRebuiltEmptyDimsThePlayButton) {
  startShown();
  MainForm->Stations.replaceAll({{QStringLiteral("A"), QStringLiteral("http://127.0.0.1:1/"), {}, {}}});
  EXPECT_EQ(MainForm->PlayStopImage->image(), QStringLiteral("PngPlay_2"));
  MainForm->Stations.replaceAll({});
  EXPECT_EQ(MainForm->PlayStopImage->image(), QStringLiteral("PngPlay_3"));
  EXPECT_EQ(MainForm->CurrentStation, -1);
}

// Bounds stored while another screen was attached would leave the window out of reach.
TEST(MainWindowBounds, StoredBoundsOffEveryScreenGiveTheFallback) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  struct Case {
    QRect stored;
    bool kept;
  };
  const Case cases[] = {
      {{20, 30, 500, 400}, true},
      {{screen.right() - 100, 30, 500, 400}, true},  // partly off the right edge, still reachable
      {{screen.right() + 200, 30, 500, 400}, false},
      {{20, -300, 500, 400}, false},  // the top edge above the screen
      {{-5000, -5000, 500, 400}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.x());
    ProgramRun caseRun;
    caseRun.profile.writeSettings(
        {QStringLiteral("\"WindowLeft\"=dword:%1").arg(static_cast<quint32>(c.stored.x()), 8, 16, QLatin1Char('0')),
         QStringLiteral("\"WindowTop\"=dword:%1").arg(static_cast<quint32>(c.stored.y()), 8, 16, QLatin1Char('0')),
         QStringLiteral("\"WindowWidth\"=dword:000001f4"), QStringLiteral("\"WindowHeight\"=dword:00000190")});
    ASSERT_TRUE(caseRun.start());
    const QRect fallback(static_cast<int>(std::lrint(screen.width() / 2.0)),
                         static_cast<int>(std::lrint(screen.height() / 2.0)), 418, 314);
    EXPECT_EQ(MainForm->geometry(), c.kept ? c.stored : fallback);
    caseRun.finish();
  }
}

TEST_F(MainWindow, OnTopFromTheSettingsAndByTheButton) {
  startShown({QStringLiteral("\"AlwaysOnTop\"=dword:00000001")});
  EXPECT_TRUE(MainForm->alwaysOnTop());
  EXPECT_EQ(MainForm->OntopImage->image(), QStringLiteral("PngUntop_2"));
  enter(MainForm->OntopImage);
  EXPECT_EQ(MainForm->OntopImage->image(), QStringLiteral("PngUntop_1"));
  leave(MainForm->OntopImage);
  EXPECT_EQ(MainForm->OntopImage->image(), QStringLiteral("PngUntop_2"));

  QTest::mouseClick(MainForm->OntopImage, Qt::LeftButton);
  EXPECT_FALSE(MainForm->alwaysOnTop());
  EXPECT_TRUE(MainForm->isVisible());
  EXPECT_EQ(MainForm->OntopImage->image(), QStringLiteral("PngTop_2"));
  run.finish();
  EXPECT_TRUE(run.profile.settingsText().contains("\"AlwaysOnTop\"=dword:00000000\n"));
}

TEST_F(MainWindow, HoverSwapsFollowTheStateAtTheMomentOfTheEvent) {
  startShown();
  enter(MainForm->CloseImage);
  EXPECT_EQ(MainForm->CloseImage->image(), QStringLiteral("PngClose_1"));
  leave(MainForm->CloseImage);
  EXPECT_EQ(MainForm->CloseImage->image(), QStringLiteral("PngClose_2"));

  enter(MainForm->PlayStopImage);
  EXPECT_EQ(MainForm->PlayStopImage->image(), QStringLiteral("PngPlay_1"));

  // Nothing plays: the mute button does not change.
  enter(MainForm->MuteImage);
  EXPECT_EQ(MainForm->MuteImage->image(), QStringLiteral("PngSound_2"));

  // The first station with looping off: a dimmed previous button stays dimmed; with looping on it lights.
  MainForm->CurrentStation = 0;
  MainForm->PreviousImage->setImage(QStringLiteral("PngPrevious_3"));
  enter(MainForm->PreviousImage);
  leave(MainForm->PreviousImage);
  EXPECT_EQ(MainForm->PreviousImage->image(), QStringLiteral("PngPrevious_3"));
  SettingsForm->LoopStationCheckBox->setChecked(true);
  enter(MainForm->PreviousImage);
  EXPECT_EQ(MainForm->PreviousImage->image(), QStringLiteral("PngPrevious_1"));
}

TEST_F(MainWindow, ButtonsShowTheEqualizerTheSettingsAndThePlaylistMenu) {
  startShown();
  QTest::mouseClick(MainForm->EQImage, Qt::LeftButton);
  EXPECT_FALSE(MainForm->EQPanel->isHidden());
  EXPECT_TRUE(MainForm->Splitter2->isVisible());
  EXPECT_EQ(MainForm->EQImage->image(), QStringLiteral("PngEQ_2")) << "the panel's visibility is not shown";
  QTest::mouseClick(MainForm->EQImage, Qt::LeftButton);
  EXPECT_TRUE(MainForm->EQPanel->isHidden());
  EXPECT_FALSE(MainForm->Splitter2->isVisible());

  QTest::mouseClick(MainForm->SettingsImage, Qt::LeftButton);
  EXPECT_TRUE(SettingsForm->isVisible());

  QTest::mouseClick(MainForm->iMenu, Qt::LeftButton);
  ASSERT_TRUE(MainForm->PlaylistButtonPopup->isVisible());
  // Below the button, or pushed up just enough to stay on the screen.
  const QPoint below = MainForm->iMenu->mapToGlobal(QPoint(0, 24));
  const QRect screen = MainForm->screen()->availableGeometry();
  EXPECT_EQ(MainForm->PlaylistButtonPopup->pos(),
            QPoint(below.x(), std::min(below.y(), screen.bottom() + 1 - MainForm->PlaylistButtonPopup->height())));
  QStringList captions;
  for (const QAction* action : MainForm->PlaylistButtonPopup->actions()) {
    captions.append(action->text());
  }
  EXPECT_EQ(captions, (QStringList{QStringLiteral("Open Playlist"), QStringLiteral("Save Playlist"),
                                   QStringLiteral("Add Station"), QString(), QStringLiteral("History"),
                                   QStringLiteral("Sleep timer"), QString(), QStringLiteral("Find stations\u2026"),
                                   QStringLiteral("Check my stations\u2026")}));
  MainForm->PlaylistButtonPopup->close();
}

// Every way into compact mode has a way back, and the main window comes back where it was.
TEST_F(MainWindow, CompactModeHandsOverToThePopupPlayerAndBack) {
  startShown();
  MainForm->tray().setAvailability([] { return true; });  // the desktop shows tray icons
  const QRect bounds = MainForm->geometry();
  const auto expectMainWindowBack = [&] {
    EXPECT_FALSE(MainForm->CompactMode);
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_FALSE(MainForm->isMinimized());
    EXPECT_EQ(MainForm->geometry(), bounds);
    EXPECT_FALSE(PopupForm->isVisible());
  };

  // Tray option on: the tray icon comes with the popup; a single click on it leaves the main window
  // hidden, a double click brings it back and takes the icon away.
  SettingsForm->TrayCheckBox->setChecked(true);
  QTest::mouseClick(MainForm->SmallImage, Qt::LeftButton);
  EXPECT_TRUE(MainForm->CompactMode);
  EXPECT_FALSE(MainForm->isVisible());
  ASSERT_TRUE(PopupForm->isVisible());
  EXPECT_EQ(PopupForm->windowType(), Qt::Tool) << "the tray icon stands for the program; no taskbar button";
  EXPECT_TRUE(PopupForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(MainForm->tray().isVisible());
  const QRect workArea = PopupForm->screen()->availableGeometry();
  EXPECT_EQ(PopupForm->frameGeometry().bottomRight() + QPoint(1, 1),
            workArea.bottomRight() + QPoint(1, 1) - QPoint(10, 10));
  PopupForm->hide();
  MainForm->TrayIcon1Click();
  EXPECT_TRUE(PopupForm->isVisible());
  EXPECT_FALSE(MainForm->isVisible());
  MainForm->TrayIcon1DblClick();
  expectMainWindowBack();
  EXPECT_FALSE(MainForm->tray().isVisible());

  // Tray option off: the popup gets a taskbar button of its own, and its icon leads back.
  SettingsForm->TrayCheckBox->setChecked(false);
  QTest::mouseClick(MainForm->SmallImage, Qt::LeftButton);
  EXPECT_TRUE(PopupForm->isVisible());
  EXPECT_EQ(PopupForm->windowType(), Qt::Window);
  EXPECT_FALSE(MainForm->tray().isVisible());
  QTest::mouseClick(PopupForm->AppImage, Qt::LeftButton);
  expectMainWindowBack();

  // The popup keeps that taskbar button; "Restore" in the tray menu is another way back.
  SettingsForm->TrayCheckBox->setChecked(true);
  QTest::mouseClick(MainForm->SmallImage, Qt::LeftButton);
  EXPECT_EQ(PopupForm->windowType(), Qt::Window);
  MainForm->tray().Restore1->trigger();
  expectMainWindowBack();
  EXPECT_FALSE(MainForm->tray().isVisible());
}

TEST_F(MainWindow, ScreenshotShowsTheBackgroundAndTheActiveTopLine) {
  startShown();
  MainForm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm));
  ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
  const QImage shot = MainForm->grab().toImage();
  const QPoint infoBackground = MainForm->LargeInfoPanel->mapTo(MainForm, QPoint(150, 60));
  EXPECT_EQ(shot.pixelColor(infoBackground), QColor(0x37, 0x37, 0x37));
  EXPECT_EQ(shot.pixelColor(200, 0), QColor(0x27, 0x27, 0x27));
  EXPECT_EQ(shot.pixelColor(200, 1), QColor(0x37, 0x37, 0x37)) << "the content starts one pixel lower";
  EXPECT_EQ(MainForm->LargePanel->y(), 1);

  // Label text in the label colour: its brightest (most covered) pixels come close to it.
  MainForm->StationLabel->setText(QStringLiteral("HHHH"));
  QCoreApplication::processEvents();
  const QImage label =
      MainForm->grab(QRect(MainForm->StationLabel->mapTo(MainForm, QPoint()), MainForm->StationLabel->size()))
          .toImage();
  QColor brightest(0x37, 0x37, 0x37);
  for (int y = 0; y < label.height(); ++y) {
    for (int x = 0; x < label.width(); ++x) {
      if (label.pixelColor(x, y).lightness() > brightest.lightness()) {
        brightest = label.pixelColor(x, y);
      }
    }
  }
  EXPECT_NEAR(brightest.red(), 0xBB, 12);
  EXPECT_NEAR(brightest.green(), 0xDD, 12);
  EXPECT_NEAR(brightest.blue(), 0xFF, 12);

  MainForm->showMaximized();
  QCoreApplication::processEvents();
  EXPECT_EQ(MainForm->layout()->contentsMargins().top(), 0) << "maximized: the content starts at the top";
  MainForm->showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(MainForm->layout()->contentsMargins().top(), 1);
}

TEST_F(MainWindow, DraggingTheBackgroundMovesTheWindowAndControlsDoNot) {
  startShown();
  const QRect workArea = MainForm->screen()->availableGeometry();
  MainForm->move(workArea.x() + 100, workArea.y() + 100);
  QCoreApplication::processEvents();
  const QPoint start = MainForm->pos();

  const QPoint infoBackground = MainForm->LargeInfoPanel->mapTo(MainForm, QPoint(150, 60));
  drag(infoBackground, infoBackground + QPoint(40, 30));
  EXPECT_EQ(MainForm->pos(), start + QPoint(40, 30));

  // Controls keep the press: a button, a label, the station list region.
  for (QWidget* control :
       {static_cast<QWidget*>(MainForm->PlayStopImage), static_cast<QWidget*>(MainForm->StationLabel),
        static_cast<QWidget*>(MainForm->PLRightPanel)}) {
    MainForm->StationLabel->setText(QStringLiteral("Radio One"));
    QCoreApplication::processEvents();
    const QPoint on = control->mapTo(MainForm, control->rect().center());
    drag(on, on + QPoint(25, 25));
    EXPECT_EQ(MainForm->pos(), start + QPoint(40, 30)) << control->objectName().toStdString();
  }

  // The logo moves the window too; near the work area's left edge it snaps onto it.
  const QPoint logo = MainForm->LogoImage->mapTo(MainForm, QPoint(60, 60));
  drag(logo, logo - QPoint(MainForm->x() - workArea.x() - 6, 0));
  EXPECT_EQ(MainForm->x(), workArea.x());
}

TEST_F(MainWindow, ResizeBordersAndSplitters) {
  startShown();
  MainForm->setGeometry(50, 50, 418, 314);
  QCoreApplication::processEvents();
  // The pointer over a zone shows its resize cursor, and the normal one away from the edges.
  QTest::mouseMove(window, QPoint(414, 310));
  EXPECT_EQ(MainForm->cursor().shape(), Qt::SizeFDiagCursor);
  QTest::mouseMove(window, QPoint(200, 3));
  EXPECT_EQ(MainForm->cursor().shape(), Qt::SizeVerCursor);
  QTest::mouseMove(window, QPoint(200, 60));
  EXPECT_EQ(MainForm->cursor().shape(), Qt::ArrowCursor);

  // The bottom-right corner zone.
  drag(QPoint(414, 310), QPoint(464, 350));
  EXPECT_EQ(MainForm->geometry(), QRect(50, 50, 468, 354));
  // The top-left corner: 3 below the top and 5 from the left.
  drag(QPoint(5, 3), QPoint(-15, -7));
  EXPECT_EQ(MainForm->geometry(), QRect(30, 40, 488, 364));

  // Splitter1 sets the logo's width, which is stored as Preview.
  QTest::mousePress(MainForm->Splitter1, Qt::LeftButton, {}, QPoint(1, 20));
  QTest::mouseMove(MainForm->Splitter1, QPoint(21, 20));
  QTest::mouseRelease(MainForm->Splitter1, Qt::LeftButton, {}, QPoint(21, 20));
  EXPECT_EQ(MainForm->LogoImage->width(), 148);
  // Splitter5 sets the information panel's height.
  QTest::mousePress(MainForm->Splitter5, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseMove(MainForm->Splitter5, QPoint(100, 11));
  QTest::mouseRelease(MainForm->Splitter5, Qt::LeftButton, {}, QPoint(100, 11));
  EXPECT_EQ(MainForm->LargePanel->height(), 144);
  run.finish();
  EXPECT_TRUE(run.profile.settingsText().contains("\"Preview\"=dword:00000094\n"));
  EXPECT_TRUE(run.profile.settingsText().contains("\"WindowWidth\"=dword:000001e8\n"));
}

}  // namespace
