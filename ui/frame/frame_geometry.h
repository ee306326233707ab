#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>

namespace qv::ui::frame {

//! Thickness T of the resize border, in device-independent pixels; corners reach 2T along the top
//! and bottom edges.
inline constexpr int kResizeBorder = 8;
//! While the window is moved by us it snaps to the work area's edges within this distance.
inline constexpr int kSnapDistance = 10;

enum class ResizeZone : std::uint8_t { None, Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

//! The resize zone under `pointer` (screen coordinates) for a window with `bounds` (screen
//! coordinates; the right edge is left + width, the bottom edge top + height). Only a window in
//! the normal state has zones; outside its bounds there is none.
ResizeZone hitTest(QPoint pointer, const QRect& bounds, int thickness, bool normalState);

Qt::Edges edgesOf(ResizeZone zone);
Qt::CursorShape cursorOf(ResizeZone zone);

//! Where a window with `bounds`, being moved, comes to rest: each of its edges that is within
//! `distance` of the same edge of `workArea` is pulled onto it (left and top win over right and
//! bottom when both are near).
QPoint snapToWorkArea(const QRect& bounds, const QRect& workArea, int distance);

//! The new bounds when `edges` of `start` are dragged by `delta`, kept at least `minimum` in size
//! (the opposite edges stay where they are).
QRect resized(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum);

}  // namespace qv::ui::frame
