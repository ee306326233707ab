// The main window's keys: the decision table, and the routing through the real window.
#include "keys.h"
#include "program_run.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using qv::ui::KeyAction;

TEST(Keys, DecisionTable) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    bool onPlainList;
    bool playing;
    std::vector<KeyAction> actions;
    bool consumed;
  };
  const Qt::KeyboardModifiers none;
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Case cases[] = {
      {Qt::Key_Up, none, {}, false, false, {KeyAction::VolumeUp}, true},
      {Qt::Key_Right, Qt::ShiftModifier, {}, false, false, {KeyAction::VolumeUp}, true},
      {Qt::Key_Left, none, {}, false, false, {KeyAction::VolumeDown}, true},
      {Qt::Key_Down, Qt::KeypadModifier, {}, false, false, {KeyAction::VolumeDown}, true},
      {Qt::Key_PageDown, none, {}, false, false, {KeyAction::Next}, false},
      {Qt::Key_MediaNext, none, {}, false, false, {KeyAction::Next}, false},
      {Qt::Key_PageUp, none, {}, false, false, {KeyAction::Previous}, false},
      {Qt::Key_MediaPrevious, none, {}, false, false, {KeyAction::Previous}, false},
      {Qt::Key_Play, none, {}, false, false, {KeyAction::Play}, false},
      {Qt::Key_MediaStop, none, {}, false, true, {KeyAction::Stop}, false},
      {Qt::Key_MediaStop, none, {}, false, false, {}, false},  // nothing plays: nothing to stop
      {Qt::Key_MediaTogglePlayPause, none, {}, false, true, {}, false},
      {Qt::Key_M, none, {}, false, false, {KeyAction::Mute}, false},
      {Qt::Key_M, ctrl | Qt::AltModifier, {}, false, false, {KeyAction::Mute}, false},
      {Qt::Key_O, ctrl, {}, false, false, {KeyAction::ShowSettings}, false},
      {Qt::Key_O, ctrl | Qt::ShiftModifier, {}, false, false, {}, false},
      {Qt::Key_O, ctrl, Qt::LeftButton, false, false, {}, false},
      {Qt::Key_O, none, {}, false, false, {}, false},
      {Qt::Key_P, ctrl, {}, false, false, {KeyAction::TogglePlaylist}, false},
      {Qt::Key_P, ctrl | Qt::AltModifier, {}, false, false, {}, false},
      // A plain list box keeps the keys that move in it; the others act as anywhere else.
      {Qt::Key_Up, none, {}, true, false, {}, false},
      {Qt::Key_Down, none, {}, true, false, {}, false},
      {Qt::Key_PageDown, none, {}, true, false, {}, false},
      {Qt::Key_PageUp, none, {}, true, false, {}, false},
      {Qt::Key_Left, none, {}, true, false, {KeyAction::VolumeDown}, true},
      {Qt::Key_Right, none, {}, true, false, {KeyAction::VolumeUp}, true},
      {Qt::Key_M, none, {}, true, false, {KeyAction::Mute}, true},
      {Qt::Key_MediaNext, none, {}, true, false, {KeyAction::Next}, false},
      {Qt::Key_P, ctrl, {}, true, false, {KeyAction::TogglePlaylist}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
    const qv::ui::KeyDecision decision = qv::ui::decideKey(c.key, c.modifiers, c.buttons, c.onPlainList, c.playing);
    EXPECT_EQ(decision.actions, c.actions);
    EXPECT_EQ(decision.consumed, c.consumed);
  }
}

// The list panel's controls, as they will sit in the right half of the station list region.
struct ListControls {
  ListControls() {
    SearchEdit = new QLineEdit(MainForm->PLRightPanel);
    SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
    StationsList = new QListWidget(MainForm->PLRightPanel);
    StationsList->setObjectName(QStringLiteral("StationsList"));
    StationsList->addItems({QStringLiteral("1. One"), QStringLiteral("2. Two"), QStringLiteral("3. Three")});
    StationsList->setCurrentRow(0);
  }
  QLineEdit* SearchEdit;
  QListWidget* StationsList;
};

class KeysInTheWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(run.start());
    controls = std::make_unique<ListControls>();
    MainForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm));
    window = MainForm->windowHandle();
  }
  void TearDown() override { run.finish(); }

  ProgramRun run;
  std::unique_ptr<ListControls> controls;
  QWindow* window = nullptr;
};

TEST_F(KeysInTheWindow, ArrowKeysInTheSearchBoxChangeTheVolumeInsteadOfTheCaret) {
  SettingsForm->KeyStepSpin->setValue(7);
  MainForm->VolumeTB->setValue(50);
  controls->SearchEdit->setText(QStringLiteral("jazz"));
  controls->SearchEdit->setFocus();
  controls->SearchEdit->setCursorPosition(2);

  QTest::keyClick(window, Qt::Key_Up);
  EXPECT_EQ(MainForm->VolumeTB->value(), 57);
  QTest::keyClick(window, Qt::Key_Left);
  QTest::keyClick(window, Qt::Key_Left);
  EXPECT_EQ(MainForm->VolumeTB->value(), 43);
  EXPECT_EQ(controls->SearchEdit->cursorPosition(), 2) << "the volume keys are consumed";

  MainForm->VolumeTB->setValue(98);
  QTest::keyClick(window, Qt::Key_Right);
  EXPECT_EQ(MainForm->VolumeTB->value(), 100);

  // The tag check list is not a plain list box: the arrows change the volume there too.
  MainForm->TagsListBox->setFocus();
  QTest::keyClick(window, Qt::Key_Down);
  EXPECT_EQ(MainForm->VolumeTB->value(), 93);

  // Keys the window does not consume reach the search box.
  controls->SearchEdit->setFocus();
  QTest::keyClick(window, Qt::Key_M);
  EXPECT_EQ(controls->SearchEdit->text(), QStringLiteral("jamzz"));
  EXPECT_EQ(MainForm->MuteImage->image(), QStringLiteral("PngSound_2")) << "with no stream M mutes nothing";
}

TEST_F(KeysInTheWindow, UpAndDownMoveInTheStationListWhileLeftRightAndMActOnTheVolume) {
  SettingsForm->KeyStepSpin->setValue(5);
  MainForm->VolumeTB->setValue(50);
  controls->StationsList->setFocus();
  QTest::keyClick(window, Qt::Key_Down);
  QTest::keyClick(window, Qt::Key_PageDown);
  EXPECT_EQ(MainForm->VolumeTB->value(), 50);
  EXPECT_EQ(controls->StationsList->currentRow(), 2);
  EXPECT_FALSE(run.trace.notes.contains(QStringLiteral("Next skipped: its subsystem is not built yet")));

  // As right after a double-click on a station: the list has the focus.
  QTest::keyClick(window, Qt::Key_Left);
  EXPECT_EQ(MainForm->VolumeTB->value(), 45);
  QTest::keyClick(window, Qt::Key_Right);
  QTest::keyClick(window, Qt::Key_Right);
  EXPECT_EQ(MainForm->VolumeTB->value(), 55);
  QTest::keyClick(window, Qt::Key_Up);
  EXPECT_EQ(controls->StationsList->currentRow(), 1);
  controls->StationsList->addItem(QStringLiteral("Metal FM"));
  QTest::keyClick(window, Qt::Key_M);
  EXPECT_EQ(controls->StationsList->currentRow(), 1) << "M mutes; it is not a jump to \"Metal FM\"";
  EXPECT_EQ(MainForm->VolumeTB->value(), 55);
}

TEST_F(KeysInTheWindow, CtrlPTogglesTheListsAndCtrlOShowsTheSettingsWindow) {
  controls->SearchEdit->setFocus();
  QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(MainForm->PlaylistPanel->isHidden());
  QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(MainForm->PlaylistPanel->isHidden()) << "Ctrl+Alt+P does nothing";
  QTest::keyClick(window, Qt::Key_P, Qt::ControlModifier);
  EXPECT_FALSE(MainForm->PlaylistPanel->isHidden());

  QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(SettingsForm->isVisible()) << "Ctrl+Shift+O does nothing";
  QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
  EXPECT_TRUE(SettingsForm->isVisible());
  EXPECT_FALSE(SettingsForm->isModal());

  // Page keys step through the stations by the buttons' handlers (empty links: nothing is fetched).
  MainForm->Stations.replaceAll({{QStringLiteral("One"), {}, {}, {}}, {QStringLiteral("Two"), {}, {}, {}}});
  MainForm->CurrentStation = 0;
  QTest::keyClick(window, Qt::Key_PageDown);
  EXPECT_EQ(MainForm->CurrentStation, 1);
  QTest::keyClick(window, Qt::Key_PageUp);
  EXPECT_EQ(MainForm->CurrentStation, 0);
}

}  // namespace
