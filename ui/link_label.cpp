#include "link_label.h"

#include "colours.h"

#include <QMouseEvent>

namespace qv::ui {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  setLinkLook(false);
}

void LinkLabel::setLinkLook(bool on) {
  m_linkLook = on;
  QFont font = this->font();
  font.setUnderline(on);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, on ? colours::kLinkText : colours::kLabelText);
  setPalette(palette);
}

void LinkLabel::enterEvent(QEnterEvent*) {
  emit entered();
}

void LinkLabel::leaveEvent(QEvent*) {
  emit left();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

}  // namespace qv::ui
