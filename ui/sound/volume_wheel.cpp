#include "sound/volume_wheel.h"

#include "volume_rules.h"

#include <QApplication>
#include <QSlider>
#include <QWheelEvent>
#include <QWidget>

#include <utility>

namespace qv::ui {

namespace {

constexpr int kNotchDelta = 120;

bool isPlainListBox(const QWidget* widget) {
  for (; widget; widget = widget->parentWidget()) {
    if (widget->objectName() == QLatin1String("StationsList") ||
        widget->objectName() == QLatin1String("ListsListBox")) {
      return true;
    }
  }
  return false;
}

}  // namespace

VolumeWheel::VolumeWheel(QWidget* window, QSlider* volume, std::function<Options()> options, QObject* parent)
    : QObject(parent), m_window(window), m_volume(volume), m_options(std::move(options)) {
  // The application sees the event before the control under the pointer does.
  qApp->installEventFilter(this);
}

VolumeWheel::~VolumeWheel() {
  qApp->removeEventFilter(this);
}

bool VolumeWheel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel || !watched->isWidgetType()) {
    return false;
  }
  auto* receiver = static_cast<QWidget*>(watched);
  if (receiver->window() != m_window) {
    return false;
  }
  const auto* wheel = static_cast<QWheelEvent*>(event);
  // An event a list passed on to its parents is still over the list: find the widget at the
  // pointer from the receiver's own coordinates.
  const QPoint inWindow = receiver->mapTo(m_window, wheel->position().toPoint());
  const QWidget* under = m_window->childAt(inWindow);
  if (isPlainListBox(under ? under : receiver)) {
    return false;
  }
  const int delta = wheel->angleDelta().y();
  if ((delta > 0 && m_pendingDelta < 0) || (delta < 0 && m_pendingDelta > 0)) {
    m_pendingDelta = 0;  // a turn back starts afresh
  }
  m_pendingDelta += delta;
  const Options options = m_options();
  while (m_pendingDelta >= kNotchDelta || m_pendingDelta <= -kNotchDelta) {
    const auto turn = m_pendingDelta > 0 ? playback::WheelTurn::Up : playback::WheelTurn::Down;
    m_pendingDelta += turn == playback::WheelTurn::Up ? -kNotchDelta : kNotchDelta;
    if (const auto position =
            playback::volumeAfterWheel(m_volume->value(), turn, options.step, options.invert, false)) {
      m_volume->setValue(*position);
    }
  }
  return true;
}

}  // namespace qv::ui
