// The window player started where no audio output can be opened: it must say so where the user
// looks (a box on screen, standard error for a terminal or a script) and end with its own status.
#include "child_environment.h"
#include "child_process.h"
#include "program.h"
#include "test_profile.h"

#include <gtest/gtest.h>

namespace {

TEST(NoAudioOutput, ThePlayerSaysSoOnStandardErrorAndEndsWithItsOwnStatus) {
  TestProfile profile;
  profile.writeSettings({QStringLiteral("\"Volume\"=dword:00000028")});
  const QByteArray before = profile.settingsText();
  ChildProcess player;
  {
    ChildEnvironment environment;
    // Offscreen nobody can answer the box: the player must not wait for it.
    environment.set("QT_QPA_PLATFORM", "offscreen");
    environment.set("SDL_AUDIODRIVER", "nonexistent");
    environment.set("LSAN_OPTIONS", "suppressions=" QV_LSAN_SUPPRESSIONS);
    ASSERT_TRUE(player.start(QV_APP_PATH, {}, true));
  }
  ASSERT_TRUE(player.waitForFinished(20000)) << "the player went on without an audio output";
  const std::string errors = player.readAllStderr();
  ASSERT_TRUE(player.exitedNormally()) << errors;
  EXPECT_EQ(player.exitCode(), qv::ui::kExitNoAudioOutput) << errors;
  EXPECT_NE(errors.find("quorventale: Can`t initialize device\n(Error code: "), std::string::npos) << errors;
  EXPECT_EQ(profile.settingsText(), before) << "nothing is written";
}

}  // namespace
