#include "popup_geometry.h"

namespace qv::ui {

QPoint popupPosition(const QRect& workArea, QSize popupSize) {
  return {workArea.x() + workArea.width() - popupSize.width() - kPopupMargin,
          workArea.y() + workArea.height() - popupSize.height() - kPopupMargin};
}

frame::ResizeZone popupZone(QPoint pointer, int clientWidth) {
  if (pointer.x() < kPopupEdge) {
    return frame::ResizeZone::Left;
  }
  if (pointer.x() > clientWidth - kPopupEdge) {
    return frame::ResizeZone::Right;
  }
  return frame::ResizeZone::None;
}

}  // namespace qv::ui
