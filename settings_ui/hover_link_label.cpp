#include "hover_link_label.h"

#include <QMouseEvent>

namespace qv::settings_ui {

HoverLinkLabel::HoverLinkLabel(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
}

void HoverLinkLabel::setUnderline(bool on) {
  QFont underlined = font();
  underlined.setUnderline(on);
  setFont(underlined);
}

void HoverLinkLabel::enterEvent(QEnterEvent* event) {
  setUnderline(true);
  QLabel::enterEvent(event);
}

void HoverLinkLabel::leaveEvent(QEvent* event) {
  setUnderline(false);
  QLabel::leaveEvent(event);
}

void HoverLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace qv::settings_ui
