// The window player loses its display while it plays (the X server goes away, as when a remote
// session or the desktop ends): the toolkit then ends the process with exit(), and the engine's and
// the audio output's threads must be stopped before static objects are destroyed. The process must
// end by itself, without a crash and, in the sanitizer build, without a report.
#include "child_environment.h"
#include "child_process.h"
#include "stream_server.h"
#include "test_profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

//! A display number no X server uses now.
int freeDisplay() {
  for (int display = 150; display < 250; ++display) {
    const QString number = QString::number(display);
    if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + number) &&
        !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
      return display;
    }
  }
  return -1;
}

TEST(DisplayLoss, TheWindowPlayerEndsCleanlyWhenItsXServerIsKilledWhilePlaying) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  TestProfile profile;
  profile.writeSettings(
      {QStringLiteral("\"PlayOnStart\"=dword:00000001"), QStringLiteral("\"LastStation\"=dword:00000000")});
  ASSERT_TRUE(QDir().mkpath(profile.dataFolder()));
  QFile list(profile.dataFolder() + QStringLiteral("/default_playlist.ini"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("\xef\xbb\xbf[playlist]\r\nPath=\r\nFile1=" + QByteArray::fromStdString(server.url("/icy/sine1k.mp3")) +
             "\r\nTitle1=Tone\r\nTag1=\r\nPreview1=\r\n\r\n");
  list.close();

  const int display = freeDisplay();
  ASSERT_GE(display, 0) << "no free display number";
  const std::string displayName = ":" + std::to_string(display);
  ChildProcess xServer;
  ASSERT_TRUE(xServer.start("Xvfb", {displayName, "-screen", "0", "800x600x24", "-nolisten", "tcp"}, true))
      << "Xvfb cannot be started (scripts/install-deps.sh installs it)";
  const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
  ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(socket); }, 10s)) << "Xvfb did not come up";

  const QString output = profile.root() + QStringLiteral("/output.raw");
  ChildProcess player;
  {
    ChildEnvironment environment;
    environment.set("DISPLAY", QByteArray::fromStdString(displayName));
    environment.set("QT_QPA_PLATFORM", "xcb");
    environment.set("SDL_AUDIODRIVER", "disk");
    environment.set("SDL_DISKAUDIOFILE", output.toUtf8());
    // In the sanitizer build: what system libraries still hold at such an exit is theirs.
    environment.set("LSAN_OPTIONS", "suppressions=" QV_LSAN_SUPPRESSIONS);
    ASSERT_TRUE(player.start(QV_APP_PATH, {}, true));
  }
  // A third of a second of sound at the output: the station plays.
  const qint64 playing = 44100 * 4 / 3;
  const bool heard = waitFor([&] { return QFileInfo(output).size() > playing || !player.running(); }, 20s);
  ASSERT_TRUE(heard && player.running()) << "the player did not play: " << player.readAllStderr();

  xServer.kill();
  ASSERT_TRUE(xServer.waitForFinished(5000));
  ASSERT_TRUE(player.waitForFinished(15000)) << "the player went on without its display";
  const std::string errors = player.readAllStderr();
  EXPECT_TRUE(player.exitedNormally()) << "ended by a signal:\n" << errors;
  for (const char* fault : {"corrupted", "double free", "AddressSanitizer", "runtime error", "LeakSanitizer"}) {
    EXPECT_EQ(errors.find(fault), std::string::npos) << fault << " in:\n" << errors;
  }
}

}  // namespace
