#pragma once

// A helper process of a test (a local server, a script), with pipes to its stdin and stdout; its
// stderr goes to ours unless captured.
//
// On POSIX it is started with posix_spawn, not QProcess: Qt starts children with a raw clone()
// that ThreadSanitizer cannot follow (it then misses the starting thread's locks, or stops on an
// internal check), and the thread tests run under it.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;
#endif

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() {
    if (running()) {
      kill();
      waitForFinished(5000);
    }
#ifndef _WIN32
    closeFd(stdin_);
    closeFd(stdout_);
    closeFd(stderr_);
#endif
  }

#ifndef _WIN32
  bool start(const std::string& program, const std::vector<std::string>& arguments, bool captureStderr = false) {
    int in[2], out[2], err[2] = {-1, -1};
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || (captureStderr && pipe2(err, O_CLOEXEC) != 0)) {
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (captureStderr) {
      posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (captureStderr) {
      close(err[1]);
    }
    stdin_ = in[1];
    stdout_ = out[0];
    stderr_ = err[0];
    if (spawned != 0) {
      pid_ = -1;
      return false;
    }
    return true;
  }

  bool running() {
    reap(false);
    return pid_ > 0;
  }

  //! One line of its stdout without the line end; nullopt when none came within the time.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
      if (const auto end = pending_.find('\n'); end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !readSome(stdout_, pending_, left)) {
        return std::nullopt;
      }
    }
  }
  //! What is left of its stdout and stderr; call once it has finished.
  std::string readAllStdout() {
    return pending_ + drain(stdout_);
  }
  std::string readAllStderr() {
    return drain(stderr_);
  }

  void closeStdin() {
    closeFd(stdin_);
  }
  void terminate() {
    signal(SIGTERM);
  }
  void kill() {
    signal(SIGKILL);
  }

  bool waitForFinished(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
      if (!reap(false)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return pid_ <= 0;
  }
  bool exitedNormally() const {
    return exited_;
  }
  int exitCode() const {
    return exitCode_;
  }

 private:
  // True when the child has ended (and was reaped now or before).
  bool reap(bool block) {
    if (pid_ <= 0) {
      return true;
    }
    int status = 0;
    const pid_t done = waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (done != pid_) {
      return false;
    }
    pid_ = -1;
    exited_ = WIFEXITED(status);
    exitCode_ = exited_ ? WEXITSTATUS(status) : -1;
    return true;
  }
  void signal(int number) {
    if (pid_ > 0) {
      ::kill(pid_, number);
    }
  }
  static void closeFd(int& fd) {
    if (fd >= 0) {
      close(fd);
      fd = -1;
    }
  }
  static bool readSome(int fd, std::string& into, std::chrono::milliseconds wait) {
    if (fd < 0) {
      return false;
    }
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(wait.count())) <= 0) {
      return false;
    }
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) {
      return false;
    }
    into.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  static std::string drain(int fd) {
    std::string all;
    while (readSome(fd, all, std::chrono::milliseconds(0))) {
    }
    return all;
  }

  pid_t pid_ = -1;
  int stdin_ = -1, stdout_ = -1, stderr_ = -1;
  std::string pending_;
  bool exited_ = false;
  int exitCode_ = -1;
#else
  // Windows: QProcess, which has no such problem there.
  bool start(const std::string& program, const std::vector<std::string>& arguments, bool captureStderr = false) {
    QStringList list;
    for (const std::string& argument : arguments) {
      list << QString::fromStdString(argument);
    }
    process_.setProcessChannelMode(captureStderr ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    process_.start(QString::fromStdString(program), list);
    return process_.waitForStarted(10000);
  }
  bool running() {
    return process_.state() != QProcess::NotRunning;
  }
  std::optional<std::string> readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!process_.canReadLine() && std::chrono::steady_clock::now() < deadline && running()) {
      process_.waitForReadyRead(50);
    }
    if (!process_.canReadLine()) {
      return std::nullopt;
    }
    return QString::fromUtf8(process_.readLine()).trimmed().toStdString();
  }
  std::string readAllStdout() {
    return process_.readAllStandardOutput().toStdString();
  }
  std::string readAllStderr() {
    return process_.readAllStandardError().toStdString();
  }
  void closeStdin() {
    process_.closeWriteChannel();
  }
  void terminate() {
    process_.terminate();
  }
  void kill() {
    process_.kill();
  }
  bool waitForFinished(int timeoutMs) {
    return process_.waitForFinished(timeoutMs);
  }
  bool exitedNormally() const {
    return process_.exitStatus() == QProcess::NormalExit;
  }
  int exitCode() const {
    return process_.exitCode();
  }

 private:
  QProcess process_;
#endif
};
