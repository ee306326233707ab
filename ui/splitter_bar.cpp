#include "splitter_bar.h"

#include <QMouseEvent>

#include <algorithm>

namespace qv::ui {

SplitterBar::SplitterBar(Qt::Orientation orientation, QWidget* target, QWidget* parent, bool targetAfter)
    : QWidget(parent), m_orientation(orientation), m_target(target), m_targetAfter(targetAfter) {
  if (orientation == Qt::Vertical) {
    setFixedWidth(kThickness);
    setCursor(Qt::SplitHCursor);
  } else {
    setFixedHeight(kThickness);
    setCursor(Qt::SplitVCursor);
  }
}

int SplitterBar::along(QPoint point) const {
  return m_orientation == Qt::Vertical ? point.x() : point.y();
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) {
    m_dragging = true;
    m_startPointer = along(event->globalPosition().toPoint());
    m_startSize = m_orientation == Qt::Vertical ? m_target->width() : m_target->height();
  }
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!m_dragging) {
    return;
  }
  const int delta = along(event->globalPosition().toPoint()) - m_startPointer;
  const int room = m_orientation == Qt::Vertical ? parentWidget()->width() : parentWidget()->height();
  const int size = std::clamp(m_startSize + (m_targetAfter ? -delta : delta), kMinimumSize,
                              std::max(kMinimumSize, room - kThickness - kMinimumSize));
  if (m_orientation == Qt::Vertical) {
    m_target->setFixedWidth(size);
  } else {
    m_target->setFixedHeight(size);
  }
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) {
    m_dragging = false;
  }
}

}  // namespace qv::ui
