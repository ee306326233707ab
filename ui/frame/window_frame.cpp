#include "frame/window_frame.h"

#include "frame/frame_geometry.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace qv::ui::frame {

WindowFrame::WindowFrame(QWidget* window) : QObject(window), m_window(window) {}

void WindowFrame::addDragSurface(QWidget* surface) {
  m_dragSurfaces.append(surface);
}

void WindowFrame::attach() {
  if (QWindow* handle = m_window->windowHandle()) {
    handle->installEventFilter(this);  // installing twice keeps one filter
  }
}

bool WindowFrame::normalState() const {
  return !(m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_window->windowHandle()) {
    return false;
  }
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return pressed(static_cast<const QMouseEvent&>(*event));
    case QEvent::MouseMove:
      return moved(static_cast<const QMouseEvent&>(*event));
    case QEvent::MouseButtonRelease:
      if (m_drag != Drag::None && static_cast<const QMouseEvent*>(event)->buttons() == Qt::NoButton) {
        m_drag = Drag::None;
        return true;
      }
      return m_drag != Drag::None;
    default:
      return false;
  }
}

bool WindowFrame::pressed(const QMouseEvent& event) {
  const QPoint pointer = event.globalPosition().toPoint();
  m_startPointer = pointer;
  m_startBounds = m_window->frameGeometry();
  QWindow* handle = m_window->windowHandle();

  const ResizeZone zone = hitTest(pointer, m_startBounds, kResizeBorder, normalState());
  if (zone != ResizeZone::None) {
    if (event.button() != Qt::LeftButton) {
      return true;
    }
    m_edges = edgesOf(zone);
    m_drag = handle->startSystemResize(m_edges) ? Drag::None : Drag::Resize;
    return true;
  }

  // Any button on the window's background or a drag surface; a press on any other control is its own.
  QWidget* target = m_window->childAt(m_window->mapFromGlobal(pointer));
  if (target && !m_dragSurfaces.contains(target)) {
    return false;
  }
  m_drag = handle->startSystemMove() ? Drag::None : Drag::Move;
  return true;
}

bool WindowFrame::moved(const QMouseEvent& event) {
  const QPoint pointer = event.globalPosition().toPoint();
  switch (m_drag) {
    case Drag::None:
      if (event.buttons() == Qt::NoButton) {
        showZoneCursor(pointer);
      }
      return false;
    case Drag::Move: {
      const QRect bounds = m_startBounds.translated(pointer - m_startPointer);
      const QScreen* screen = QGuiApplication::screenAt(pointer);
      if (!screen) {
        screen = m_window->screen();
      }
      m_window->move(snapToWorkArea(bounds, screen->availableGeometry(), kSnapDistance));
      return true;
    }
    case Drag::Resize: {
      const QSize minimum = m_window->minimumSize().expandedTo(QSize(4 * kResizeBorder, 4 * kResizeBorder));
      m_window->setGeometry(resized(m_startBounds, m_edges, pointer - m_startPointer, minimum));
      return true;
    }
  }
  return false;
}

void WindowFrame::showZoneCursor(QPoint pointer) {
  const ResizeZone zone = hitTest(pointer, m_window->frameGeometry(), kResizeBorder, normalState());
  if (zone != ResizeZone::None) {
    m_window->setCursor(cursorOf(zone));
    m_zoneCursorShown = true;
  } else if (m_zoneCursorShown) {
    m_window->unsetCursor();
    m_zoneCursorShown = false;
  }
}

}  // namespace qv::ui::frame
