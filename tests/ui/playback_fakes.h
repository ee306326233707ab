#pragma once

#include "keep_awake.h"
#include "notifier.h"
#include "taskbar_presenter.h"

#include <QStringList>

#include <optional>

// What the window asked of the desktop, kept by the test while the window owns the recorders.
struct DesktopLog {
  bool keptAwake = false;
  int keepAwakeCalls = 0;
  QStringList notifications;  // "name|title|body"
  std::optional<qv::playback::TaskbarState> taskbar;
};

class RecordingKeepAwake final : public qv::ui::KeepAwake {
 public:
  explicit RecordingKeepAwake(DesktopLog& log) : m_log(log) {}
  void keepAwake() override {
    m_log.keptAwake = true;
    ++m_log.keepAwakeCalls;
  }
  void allowSleep() override { m_log.keptAwake = false; }

 private:
  DesktopLog& m_log;
};

class RecordingNotifier final : public qv::ui::Notifier {
 public:
  explicit RecordingNotifier(DesktopLog& log) : m_log(log) {}
  void withdrawAll() override { m_log.notifications.clear(); }
  void present(const qv::ui::Notification& shown) override {
    m_log.notifications.append(shown.name + QLatin1Char('|') + shown.title + QLatin1Char('|') + shown.body);
  }

 private:
  DesktopLog& m_log;
};

class RecordingTaskbar final : public qv::ui::TaskbarPresenter {
 public:
  explicit RecordingTaskbar(DesktopLog& log) : m_log(log) {}
  void apply(const qv::playback::TaskbarState& state) override { m_log.taskbar = state; }

 private:
  DesktopLog& m_log;
};
