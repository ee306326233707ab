#pragma once

#include "frame/frame_geometry.h"

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qv::ui {

//! The popup player's distance from the work area's bottom-right corner.
inline constexpr int kPopupMargin = 10;
//! Width of the popup's left and right resize edges.
inline constexpr int kPopupEdge = 8;

//! Where the popup player goes each time it is shown: `kPopupMargin` in from the right and bottom
//! edges of the work area (the screen less its panels).
QPoint popupPosition(const QRect& workArea, QSize popupSize);

//! The popup's resize edge under `pointer` (client coordinates): less than kPopupEdge from the left
//! edge is Left, more than width − kPopupEdge is Right; it has no other zone, so it can only get
//! wider or narrower and is never dragged.
frame::ResizeZone popupZone(QPoint pointer, int clientWidth);

}  // namespace qv::ui
