#include "frame_geometry.h"

#include <algorithm>
#include <cstdlib>

namespace qv::ui::frame {

ResizeZone hitTest(QPoint pointer, const QRect& bounds, int thickness, bool normalState) {
  if (!normalState || !bounds.contains(pointer)) {
    return ResizeZone::None;
  }
  const int left = bounds.x();
  const int top = bounds.y();
  const int right = bounds.x() + bounds.width();
  const int bottom = bounds.y() + bounds.height();
  const int x = pointer.x();
  const int y = pointer.y();
  const int corner = 2 * thickness;

  if (y <= top + thickness) {
    if (x <= left + corner) {
      return ResizeZone::TopLeft;
    }
    return x >= right - corner ? ResizeZone::TopRight : ResizeZone::Top;
  }
  if (y >= bottom - thickness) {
    if (x <= left + corner) {
      return ResizeZone::BottomLeft;
    }
    return x >= right - corner ? ResizeZone::BottomRight : ResizeZone::Bottom;
  }
  if (x >= right - thickness) {
    return ResizeZone::Right;
  }
  if (x <= left + thickness) {
    return ResizeZone::Left;
  }
  return ResizeZone::None;
}

Qt::Edges edgesOf(ResizeZone zone) {
  switch (zone) {
    case ResizeZone::None:
      return {};
    case ResizeZone::Left:
      return Qt::LeftEdge;
    case ResizeZone::Right:
      return Qt::RightEdge;
    case ResizeZone::Top:
      return Qt::TopEdge;
    case ResizeZone::TopLeft:
      return Qt::TopEdge | Qt::LeftEdge;
    case ResizeZone::TopRight:
      return Qt::TopEdge | Qt::RightEdge;
    case ResizeZone::Bottom:
      return Qt::BottomEdge;
    case ResizeZone::BottomLeft:
      return Qt::BottomEdge | Qt::LeftEdge;
    case ResizeZone::BottomRight:
      return Qt::BottomEdge | Qt::RightEdge;
  }
  return {};
}

Qt::CursorShape cursorOf(ResizeZone zone) {
  switch (zone) {
    case ResizeZone::None:
      return Qt::ArrowCursor;
    case ResizeZone::Left:
    case ResizeZone::Right:
      return Qt::SizeHorCursor;
    case ResizeZone::Top:
    case ResizeZone::Bottom:
      return Qt::SizeVerCursor;
    case ResizeZone::TopLeft:
    case ResizeZone::BottomRight:
      return Qt::SizeFDiagCursor;
    case ResizeZone::TopRight:
    case ResizeZone::BottomLeft:
      return Qt::SizeBDiagCursor;
  }
  return Qt::ArrowCursor;
}

QPoint snapToWorkArea(const QRect& bounds, const QRect& workArea, int distance) {
  const auto near = [distance](int a, int b) { return std::abs(a - b) <= distance; };
  QPoint position = bounds.topLeft();
  const int areaRight = workArea.x() + workArea.width();
  const int areaBottom = workArea.y() + workArea.height();
  if (near(bounds.x(), workArea.x())) {
    position.setX(workArea.x());
  } else if (near(bounds.x() + bounds.width(), areaRight)) {
    position.setX(areaRight - bounds.width());
  }
  if (near(bounds.y(), workArea.y())) {
    position.setY(workArea.y());
  } else if (near(bounds.y() + bounds.height(), areaBottom)) {
    position.setY(areaBottom - bounds.height());
  }
  return position;
}

QRect resized(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum) {
  int left = start.x();
  int top = start.y();
  int right = start.x() + start.width();
  int bottom = start.y() + start.height();
  if (edges & Qt::LeftEdge) {
    left = std::min(left + delta.x(), right - minimum.width());
  }
  if (edges & Qt::RightEdge) {
    right = std::max(right + delta.x(), left + minimum.width());
  }
  if (edges & Qt::TopEdge) {
    top = std::min(top + delta.y(), bottom - minimum.height());
  }
  if (edges & Qt::BottomEdge) {
    bottom = std::max(bottom + delta.y(), top + minimum.height());
  }
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace qv::ui::frame
