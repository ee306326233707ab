#pragma once

// A file size limit (RLIMIT_FSIZE) makes a write fail the way a full disk does, without
// privileges or a small file system: the write that would pass the limit takes what fits and the
// next one fails with EFBIG. SIGXFSZ is ignored meanwhile, so the process is not killed for it.
// POSIX only.

#ifndef _WIN32
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

//! While it lives, no file of this process may grow past `bytes`; a child started meanwhile
//! keeps the limit (and the ignored signal) for its whole life.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &m_previousAction);
    getrlimit(RLIMIT_FSIZE, &m_previousLimit);
    const rlimit limit{bytes, m_previousLimit.rlim_max};
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_previousLimit);
    sigaction(SIGXFSZ, &m_previousAction, nullptr);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool active() const { return m_active; }

 private:
  struct sigaction m_previousAction {};
  rlimit m_previousLimit{};
  bool m_active = false;
};

//! Runs `work` in a child process whose files may not grow past `bytes`, and returns the text it
//! returned; nothing when the child crashed or did not end within 20 s. The limit never touches
//! this process.
inline std::optional<std::string> runWithFileSizeLimit(rlim_t bytes, const std::function<std::string()>& work) {
  int channel[2];
  if (pipe(channel) != 0) {
    return std::nullopt;
  }
  const pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    return std::nullopt;
  }
  if (child == 0) {
    close(channel[0]);
    const FileSizeLimit limit(bytes);
    const std::string answer = limit.active() ? work() : std::string("no file size limit");
    std::size_t sent = 0;
    while (sent < answer.size()) {
      const ssize_t count = write(channel[1], answer.data() + sent, answer.size() - sent);
      if (count <= 0) {
        _exit(2);
      }
      sent += static_cast<std::size_t>(count);
    }
    _exit(0);
  }
  close(channel[1]);
  std::string answer;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < deadline) {
    pollfd readable{channel[0], POLLIN, 0};
    if (poll(&readable, 1, 100) <= 0) {
      continue;
    }
    char buffer[4096];
    const ssize_t count = read(channel[0], buffer, sizeof buffer);
    if (count > 0) {
      answer.append(buffer, static_cast<std::size_t>(count));
    } else {
      ended = true;  // the child closed its end
    }
  }
  close(channel[0]);
  int status = 0;
  if (!ended) {
    kill(child, SIGKILL);
  }
  waitpid(child, &status, 0);
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  return answer;
}
#endif
