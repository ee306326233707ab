#include "media_keys.h"

#include "media_player_port.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <windows.h>

namespace qv::ui {

namespace {

// The hot keys carry their key codes as identifiers, with no modifier keys.
constexpr int kMediaKeys[] = {VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK, VK_MEDIA_STOP, VK_MEDIA_PLAY_PAUSE};

class HotKeyMediaKeys final : public MediaKeys, public QAbstractNativeEventFilter {
 public:
  HotKeyMediaKeys(MediaPlayerPort& player, QWidget& window) : m_player(player), m_window(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~HotKeyMediaKeys() override {
    unregisterKeys();
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  // A key another program holds is refused and ignored; the others still work.
  StageOutcome registerKeys() override {
    const HWND window = reinterpret_cast<HWND>(m_window.winId());
    for (const int key : kMediaKeys) {
      RegisterHotKey(window, key, 0, static_cast<UINT>(key));
    }
    return StageOutcome::Done;
  }
  StageOutcome unregisterKeys() override {
    const HWND window = reinterpret_cast<HWND>(m_window.winId());
    for (const int key : kMediaKeys) {
      UnregisterHotKey(window, key);
    }
    return StageOutcome::Done;
  }
  void playerChanged() override {}

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
    if (eventType != "windows_generic_MSG") {
      return false;
    }
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_HOTKEY || msg->hwnd != reinterpret_cast<HWND>(m_window.winId())) {
      return false;
    }
    switch (static_cast<int>(msg->wParam)) {
      case VK_MEDIA_NEXT_TRACK:
        m_player.next();
        return true;
      case VK_MEDIA_PREV_TRACK:
        m_player.previous();
        return true;
      case VK_MEDIA_STOP:
        m_player.stop();
        return true;
      case VK_MEDIA_PLAY_PAUSE:
        m_player.playStop();
        return true;
      default:
        return false;
    }
  }

 private:
  MediaPlayerPort& m_player;
  QWidget& m_window;
};

}  // namespace

std::unique_ptr<MediaKeys> makeSystemMediaKeys(MediaPlayerPort& player, QWidget& window) {
  return std::make_unique<HotKeyMediaKeys>(player, window);
}

}  // namespace qv::ui
