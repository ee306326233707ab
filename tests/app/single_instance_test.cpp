// One player per profile, with whole players: a second start hands its playlist file or stream
// link to the first and ends with status 0, a socket left by a killed player is replaced, the
// lock keeps a second writer off the profile, a link on the command line plays without changing
// the list, and a wrong command line is refused before anything starts.
#include "single_instance.h"
#include "../ui/program_run.h"
#include "child_environment.h"
#include "child_process.h"
#include "playback_controller.h"
#include "playlist_commands.h"
#include "scripted_answers.h"
#include "start_requests.h"
#include "stream_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using qv::app::SingleInstance;

//! Runs this process's events until `done` or the limit.
bool spinUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

bool playerAnswers() {
  QLocalSocket socket;
  socket.connectToServer(SingleInstance::profileSocketName());
  const bool connected = socket.waitForConnected(200);
  socket.abort();
  return connected;
}

QString socketFile() {
  const QString name = SingleInstance::profileSocketName();
  return QDir::isAbsolutePath(name) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}

QString writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    ADD_FAILURE() << "cannot write " << path.toStdString();
  }
  return path;
}

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SingleInstance, ASecondStartHandsItsPlaylistAndItsLinkToTheFirstAndEnds) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  ProgramRun run;
  auto first = std::make_unique<SingleInstance>(SingleInstance::profileLockFile(), SingleInstance::profileSocketName());
  ASSERT_EQ(first->start({}).role, SingleInstance::Role::Primary);
  ASSERT_TRUE(run.start());
  MainForm->show();
  std::deque<qv::playlists::MergeAnswer> answers{qv::playlists::MergeAnswer::Add};
  QStringList messages;
  qv::ui::PlaylistCommands::Dialogs& dialogs = MainForm->playlistCommands().dialogs;
  dialogs.askMergeOrReplace = [&] { return takeAnswer(answers, qv::playlists::MergeAnswer::Cancel); };
  dialogs.showMessage = [&](const QString& message) { messages.append(message); };
  auto* requests = new qv::app::StartRequests(*MainForm);
  first->setReceiver([requests](const QByteArray& message) { requests->runHandedOver(message); });

  // A playlist file, named relative to the second start's working folder.
  writeFile(run.profile.root() + QStringLiteral("/downloads/two.m3u"),
            "#EXTM3U\n#EXTINF:-1,One\nhttp://127.0.0.1:1/one\n"
            "#EXTINF:-1,Two\nhttp://127.0.0.1:1/two\n");
  {
    ChildProcess second;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(run.profile.root());
    ASSERT_TRUE(second.start(QV_APP_PATH, {"downloads/two.m3u"}, true));
    QDir::setCurrent(previous);
    ASSERT_TRUE(spinUntil([&] { return !second.running(); }, 20s)) << "the second start went on";
    EXPECT_TRUE(second.exitedNormally());
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStderr();
  }
  ASSERT_TRUE(spinUntil([&] { return MainForm->Stations.PLAY_ARRAY().size() == 2; }, 5s)) << "not imported";
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY()[1].Name, QStringLiteral("Two"));
  EXPECT_TRUE(answers.empty()) << "the merge-or-replace question was not asked";
  EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

  // A stream link plays at once, outside the list, and the editor offers it filled in.
  const QString link = QString::fromStdString(server.url("/icy/sine1k.mp3"));
  QString offeredName;
  QString offeredLink;
  QTimer closeEditor;
  QObject::connect(&closeEditor, &QTimer::timeout, [&] {
    if (AddEditForm->isVisible()) {
      offeredName = AddEditForm->eName->text();
      offeredLink = AddEditForm->eLink->text();
      AddEditForm->reject();
    }
  });
  closeEditor.start(50);
  const int currentBefore = MainForm->CurrentStation;
  {
    ChildProcess second;
    ASSERT_TRUE(second.start(QV_APP_PATH, {link.toStdString()}, true));
    ASSERT_TRUE(spinUntil([&] { return !second.running(); }, 20s)) << "the second start went on";
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStderr();
  }
  qv::playback::PlaybackController& controller = MainForm->playbackController();
  EXPECT_TRUE(spinUntil(
      [&] { return !offeredLink.isEmpty() && controller.state() == qv::playback::PlaybackState::Playing; }, 20s))
      << "state " << int(controller.state());
  EXPECT_EQ(offeredLink, link);
  EXPECT_EQ(offeredName, QStringLiteral("127.0.0.1"));
  EXPECT_EQ(MainForm->CurrentStation, currentBefore) << "the list keeps its current station";
  EXPECT_EQ(controller.stationName(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(MainForm->Stations.PLAY_ARRAY().size(), 2U) << "the list changed";
  // Play opens the link again until a station of the list is chosen.
  controller.stop();
  // Play refuses (beeps) while the worker of the last open is still winding up.
  EXPECT_TRUE(spinUntil(
      [&] {
        if (controller.state() == qv::playback::PlaybackState::Idle) {
          controller.play();
        }
        return controller.state() != qv::playback::PlaybackState::Idle;
      },
      5s));
  EXPECT_EQ(controller.stationName(), QStringLiteral("127.0.0.1"));
  controller.playStation(1, true);
  EXPECT_EQ(controller.stationName(), QStringLiteral("Two"));
  controller.stop();

  // A desktop action reaches the player without bringing a hidden window back.
  MainForm->CurrentStation = 0;
  MainForm->hide();
  {
    ChildProcess action;
    ASSERT_TRUE(action.start(QV_APP_PATH, {"--next"}, true));
    ASSERT_TRUE(spinUntil([&] { return !action.running(); }, 20s)) << "the action start went on";
    EXPECT_EQ(action.exitCode(), 0) << action.readAllStderr();
  }
  EXPECT_TRUE(spinUntil([&] { return MainForm->CurrentStation == 1; }, 5s)) << "Next did not arrive";
  EXPECT_FALSE(MainForm->isVisible());
  // A second start by itself brings it back.
  {
    ChildProcess plain;
    ASSERT_TRUE(plain.start(QV_APP_PATH, {}, true));
    ASSERT_TRUE(spinUntil([&] { return !plain.running(); }, 20s)) << "the plain second start went on";
    EXPECT_EQ(plain.exitCode(), 0) << plain.readAllStderr();
  }
  EXPECT_TRUE(spinUntil([&] { return MainForm->isVisible(); }, 5s)) << "the window was not raised";

  run.finish();
  first.reset();
}

TEST(SingleInstance, ASocketLeftByAKilledPlayerIsReplacedByTheNextStart) {
  TestProfile profile;
  ChildProcess killed;
  ASSERT_TRUE(killed.start(QV_APP_PATH, {}, true));
  ASSERT_TRUE(spinUntil([&] { return playerAnswers() || !killed.running(); }, 30s) && killed.running())
      << "the first player did not come up: " << killed.readAllStderr();
  killed.kill();
  ASSERT_TRUE(killed.waitForFinished(5000));
  EXPECT_TRUE(QFileInfo::exists(socketFile())) << "no socket was left to test with";
  EXPECT_TRUE(QFileInfo::exists(SingleInstance::profileLockFile())) << "no lock was left to test with";
  EXPECT_FALSE(playerAnswers());

  ChildProcess next;
  ASSERT_TRUE(next.start(QV_APP_PATH, {}, true));
  ASSERT_TRUE(spinUntil([&] { return playerAnswers() || !next.running(); }, 30s) && next.running())
      << "the next player did not take over: " << next.readAllStderr();
  ChildProcess action;
  ASSERT_TRUE(action.start(QV_APP_PATH, {"--play-stop"}, true));
  ASSERT_TRUE(action.waitForFinished(20000));
  EXPECT_EQ(action.exitCode(), 0) << action.readAllStderr();

  next.terminate();
  ASSERT_TRUE(next.waitForFinished(20000));
  EXPECT_EQ(next.exitCode(), 0) << next.readAllStderr();
  EXPECT_FALSE(QFileInfo::exists(SingleInstance::profileLockFile())) << "the lock outlived its player";
}

TEST(SingleInstance, TheLockKeepsASecondWriterOffTheProfile) {
  TestProfile profile;
  const QString playlist =
      writeFile(profile.root() + QStringLiteral("/two.pls"), "[playlist]\nFile1=http://127.0.0.1:1/one\nTitle1=One\n");
  ASSERT_TRUE(QDir().mkpath(profile.dataFolder()));
  // Held by this live process, which does not listen: nobody to hand over to.
  QLockFile held(SingleInstance::profileLockFile());
  ASSERT_TRUE(held.tryLock(0));
  const QStringList before = QDir(profile.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  const QStringList dataBefore = QDir(profile.dataFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

  ChildProcess second;
  ASSERT_TRUE(second.start(QV_APP_PATH, {playlist.toStdString()}, true));
  ASSERT_TRUE(second.waitForFinished(30000)) << "the second writer went on";
  const std::string errors = second.readAllStderr();
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_NE(errors.find("holds the profile's lock file"), std::string::npos) << errors;
  EXPECT_NE(errors.find("does not answer"), std::string::npos) << errors;
  EXPECT_EQ(QDir(profile.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
  EXPECT_EQ(QDir(profile.dataFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), dataBefore);
  EXPECT_FALSE(QFileInfo::exists(profile.settingsFile()));
}

TEST(SingleInstance, AStreamLinkOnTheCommandLinePlaysWithoutChangingTheList) {
  StreamServer server;
  ASSERT_TRUE(server.ok()) << server.error();
  TestProfile profile;
  const QString listFile = writeFile(profile.dataFolder() + QStringLiteral("/default_playlist.ini"),
                                     "\xef\xbb\xbf[playlist]\r\nPath=\r\nFile1=http://127.0.0.1:1/kept\r\n"
                                     "Title1=Kept\r\nTag1=\r\nPreview1=\r\n\r\n");
  const QString output = profile.root() + QStringLiteral("/output.raw");
  const std::string link = server.url("/icy/sine1k.mp3");
  ChildProcess player;
  {
    ChildEnvironment environment;
    environment.set("SDL_AUDIODRIVER", "disk");
    environment.set("SDL_DISKAUDIOFILE", output.toUtf8());
    ASSERT_TRUE(player.start(QV_APP_PATH, {link}, true));
  }
  // A third of a second of sound at the output.
  const bool heard = spinUntil([&] { return QFileInfo(output).size() > 44100 * 4 / 3 || !player.running(); }, 30s);
  ASSERT_TRUE(heard && player.running()) << "the link did not play: " << player.readAllStderr();
  player.terminate();
  ASSERT_TRUE(player.waitForFinished(20000));
  EXPECT_EQ(player.exitCode(), 0) << player.readAllStderr();
  const QByteArray list = fileBytes(listFile);
  EXPECT_TRUE(list.contains("Title1=Kept")) << list.toStdString();
  EXPECT_FALSE(list.contains("sine1k")) << list.toStdString();
}

TEST(SingleInstance, AWrongCommandLineIsRefusedAndHelpAndVersionNeedNoWindow) {
  TestProfile profile;
  ChildEnvironment environment;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    environment.unset(variable);
  }
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    const char* printed;
  } cases[] = {
      {{"--version"}, 0, "quorventale " QV_VERSION_TEXT},
      {{"--help"}, 0, "Usage: quorventale [FILE|URL]..."},
      {{"ftp://127.0.0.1/list.m3u"}, 2, "quorventale: not a playlist file or an http/https link: ftp://"},
      {{"http://127.0.0.1:1/live", "missing.pls"}, 2, "quorventale: no such file: missing.pls"},
      {{"--bogus"}, 2, "quorventale: unknown option: --bogus"},
  };
  for (const auto& c : cases) {
    ChildProcess player;
    ASSERT_TRUE(player.start(QV_APP_PATH, c.arguments, true));
    ASSERT_TRUE(player.waitForFinished(10000)) << c.arguments.front();
    const std::string printed = c.exitCode == 0 ? player.readAllStdout() : player.readAllStderr();
    EXPECT_EQ(player.exitCode(), c.exitCode) << c.arguments.front();
    EXPECT_NE(printed.find(c.printed), std::string::npos) << c.arguments.front() << ": " << printed;
  }
  EXPECT_TRUE(QDir(profile.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty())
      << "the profile was touched";
}

}  // namespace
