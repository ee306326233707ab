#include "taskbar_state.h"
#include "qstring_printer.h"

#include "interface_texts.h"

#include <gtest/gtest.h>

namespace pb = qv::playback;
using pb::TaskbarIcon;

namespace {

TEST(TaskbarState, StartingAStationShowsStopAndTheSpeakerAndStoppingTurnsBack) {
  qv::i18n::MainFormTexts form;
  qv::i18n::applyBuiltInTexts(form);
  const pb::TaskbarHints hints = pb::TaskbarHints::current(QStringLiteral("Previous"), QStringLiteral("Next"));
  EXPECT_EQ(hints.play, QStringLiteral("Play"));
  EXPECT_EQ(hints.stop, QStringLiteral("Stop"));

  const pb::TaskbarState idle = pb::taskbarState(pb::TaskbarPhase::Idle, hints);
  EXPECT_EQ(idle.overlay, std::nullopt);
  EXPECT_EQ(idle.buttons[0], (pb::ThumbnailButton{TaskbarIcon::Previous, QStringLiteral("Previous")}));
  EXPECT_EQ(idle.buttons[1], (pb::ThumbnailButton{TaskbarIcon::Play, QStringLiteral("Play")}));
  EXPECT_EQ(idle.buttons[2], (pb::ThumbnailButton{TaskbarIcon::Next, QStringLiteral("Next")}));

  const pb::TaskbarState started = pb::taskbarState(pb::TaskbarPhase::StationStarted, hints);
  EXPECT_EQ(started.overlay, TaskbarIcon::Sound);
  EXPECT_EQ(started.buttons[1], (pb::ThumbnailButton{TaskbarIcon::Stop, QStringLiteral("Stop")}));
  EXPECT_EQ(started.buttons[0], idle.buttons[0]);
  EXPECT_EQ(started.buttons[2], idle.buttons[2]);

  EXPECT_EQ(pb::taskbarIconResource(TaskbarIcon::Play), QStringLiteral("PlayIcon"));
  EXPECT_EQ(pb::taskbarIconResource(TaskbarIcon::Stop), QStringLiteral("StopIcon"));
  EXPECT_EQ(pb::taskbarIconResource(TaskbarIcon::Sound), QStringLiteral("SoundIcon"));
  EXPECT_EQ(pb::taskbarIconResource(TaskbarIcon::Next), QString()) << "built-in arrow";
}

}  // namespace
