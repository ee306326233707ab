#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <cstdint>

class QMouseEvent;
class QWidget;

namespace qv::ui::frame {

//! The frame of a window without a title bar: resize borders T wide on every side with 2T corner
//! zones along the top and bottom edges (none while maximized), and moving by the window's own
//! background and by the drag surfaces it is given. It watches the mouse on the platform window,
//! before any child widget sees it. The window system moves and resizes the window when it can
//! (startSystemMove/startSystemResize); where it cannot, the frame does it itself, and snaps the
//! window to the work area's edges while moving. GUI thread only.
class WindowFrame : public QObject {
  Q_OBJECT

 public:
  explicit WindowFrame(QWidget* window);

  //! Mouse down on this widget's own background (not on its children) moves the window.
  void addDragSurface(QWidget* surface);
  //! Watches the window's current platform window; call whenever that is created or replaced.
  void attach();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Drag : std::uint8_t { None, Move, Resize };

  bool normalState() const;
  bool pressed(const QMouseEvent& event);
  bool moved(const QMouseEvent& event);
  void showZoneCursor(QPoint pointer);

  QWidget* m_window;
  QList<QWidget*> m_dragSurfaces;
  Drag m_drag = Drag::None;
  Qt::Edges m_edges;
  QPoint m_startPointer;
  QRect m_startBounds;
  bool m_zoneCursorShown = false;
};

}  // namespace qv::ui::frame
