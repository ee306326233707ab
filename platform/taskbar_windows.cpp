#include "taskbar_presenter.h"

#include "skin.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>

#include <shobjidl.h>
#include <windows.h>

#include <array>
#include <iterator>
#include <optional>
#include <string>

namespace qv::ui {

namespace {

constexpr UINT kFirstButtonId = 1;

// The icons the state names: the built-in arrows are drawn by the skin's previous/next images.
QIcon taskbarIcon(qv::playback::TaskbarIcon icon) {
  switch (icon) {
    case qv::playback::TaskbarIcon::Previous:
      return resourceIcon(QStringLiteral("PngPrevious_1"));
    case qv::playback::TaskbarIcon::Next:
      return resourceIcon(QStringLiteral("PngNext_1"));
    case qv::playback::TaskbarIcon::Play:
    case qv::playback::TaskbarIcon::Stop:
    case qv::playback::TaskbarIcon::Sound:
      break;
  }
  return resourceIcon(qv::playback::taskbarIconResource(icon));
}

HICON toHicon(const QIcon& icon, int size) {
  return icon.pixmap(size, size).toImage().toHICON();
}

// ITaskbarList3 on the window's taskbar button. The buttons can be added only once the taskbar
// has announced the button ("TaskbarButtonCreated"), so a state applied earlier waits for it.
class WindowsTaskbarPresenter final : public TaskbarPresenter, public QAbstractNativeEventFilter {
 public:
  WindowsTaskbarPresenter(QWidget& window, TaskbarActions actions)
      : m_window(window),
        m_actions(std::move(actions)),
        m_buttonCreatedMessage(RegisterWindowMessageW(L"TaskbarButtonCreated")) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~WindowsTaskbarPresenter() override {
    QCoreApplication::instance()->removeNativeEventFilter(this);
    if (m_taskbar) {
      m_taskbar->Release();
    }
  }

  void apply(const qv::playback::TaskbarState& state) override {
    m_state = state;
    show();
  }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "windows_generic_MSG") {
      return false;
    }
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->hwnd != window()) {
      return false;
    }
    if (msg->message == m_buttonCreatedMessage) {
      m_buttonsAdded = false;
      connectTaskbar();
      show();
      return false;
    }
    if (msg->message == WM_COMMAND && HIWORD(msg->wParam) == THBN_CLICKED) {
      const std::function<void()>* actions[] = {&m_actions.previous, &m_actions.playStop, &m_actions.next};
      const UINT button = LOWORD(msg->wParam) - kFirstButtonId;
      if (button < 3 && *actions[button]) {
        (*actions[button])();
        return true;
      }
    }
    return false;
  }

 private:
  HWND window() const { return reinterpret_cast<HWND>(m_window.winId()); }

  void connectTaskbar() {
    if (m_taskbar) {
      return;
    }
    ITaskbarList3* taskbar = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                   reinterpret_cast<void**>(&taskbar))) &&
        SUCCEEDED(taskbar->HrInit())) {
      m_taskbar = taskbar;
    } else if (taskbar) {
      taskbar->Release();
    }
  }

  void show() {
    if (!m_taskbar || !m_state) {
      return;
    }
    std::array<THUMBBUTTON, 3> buttons{};
    std::array<HICON, 3> icons{};
    for (UINT i = 0; i < buttons.size(); ++i) {
      const qv::playback::ThumbnailButton& button = m_state->buttons[i];
      icons[i] = toHicon(taskbarIcon(button.icon), 24);
      buttons[i].dwMask = THB_ICON | THB_TOOLTIP | THB_FLAGS;
      buttons[i].iId = kFirstButtonId + i;
      buttons[i].hIcon = icons[i];
      buttons[i].dwFlags = THBF_ENABLED;
      const std::wstring hint = button.hint.toStdWString();
      wcsncpy_s(buttons[i].szTip, std::size(buttons[i].szTip), hint.c_str(), _TRUNCATE);
    }
    if (m_buttonsAdded) {
      m_taskbar->ThumbBarUpdateButtons(window(), buttons.size(), buttons.data());
    } else {
      m_buttonsAdded = SUCCEEDED(m_taskbar->ThumbBarAddButtons(window(), buttons.size(), buttons.data()));
    }
    for (HICON icon : icons) {
      DestroyIcon(icon);
    }
    HICON overlay = m_state->overlay ? toHicon(taskbarIcon(*m_state->overlay), 16) : nullptr;
    m_taskbar->SetOverlayIcon(window(), overlay, L"");
    if (overlay) {
      DestroyIcon(overlay);
    }
  }

  QWidget& m_window;
  TaskbarActions m_actions;
  UINT m_buttonCreatedMessage;
  ITaskbarList3* m_taskbar = nullptr;
  bool m_buttonsAdded = false;
  std::optional<qv::playback::TaskbarState> m_state;
};

}  // namespace

std::unique_ptr<TaskbarPresenter> makeSystemTaskbarPresenter(QWidget& window, TaskbarActions actions) {
  return std::make_unique<WindowsTaskbarPresenter>(window, std::move(actions));
}

}  // namespace qv::ui
