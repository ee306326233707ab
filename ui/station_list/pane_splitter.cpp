#include "pane_splitter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace qv::ui {

PaneSplitter::PaneSplitter(QWidget* pane, Edge edge, QWidget* parent) : QWidget(parent), m_pane(pane), m_edge(edge) {
  if (m_edge == Edge::Left) {
    setFixedWidth(kThickness);
    setCursor(Qt::SplitHCursor);
  } else {
    setFixedHeight(kThickness);
    setCursor(Qt::SplitVCursor);
  }
}

void PaneSplitter::paintEvent(QPaintEvent*) {
  QPainter(this).fillRect(rect(), QColor(0x37, 0x37, 0x37));
}

int PaneSplitter::paneSize() const {
  return m_edge == Edge::Left ? m_pane->width() : m_pane->height();
}

// The room the pane's container offers, less the bar and the smallest neighbour.
int PaneSplitter::maxPaneSize() const {
  const QWidget* container = m_pane->parentWidget();
  if (!container) {
    return QWIDGETSIZE_MAX;
  }
  const int room = m_edge == Edge::Left ? container->width() : container->height();
  return std::max(kMinPane, room - kThickness - kMinPane);
}

void PaneSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    return;
  }
  m_dragging = true;
  const QPointF global = event->globalPosition();
  m_startPos = static_cast<int>(m_edge == Edge::Left ? global.x() : global.y());
  m_startSize = paneSize();
}

void PaneSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragging) {
    return;
  }
  const QPointF global = event->globalPosition();
  const int delta = static_cast<int>(m_edge == Edge::Left ? global.x() : global.y()) - m_startPos;
  const int wanted = m_edge == Edge::Left ? m_startSize + delta : m_startSize - delta;
  const int size = std::clamp(wanted, kMinPane, maxPaneSize());
  if (size == paneSize()) {
    return;
  }
  if (m_edge == Edge::Left) {
    m_pane->setFixedWidth(size);
  } else {
    m_pane->setFixedHeight(size);
  }
  emit moved(size);
}

void PaneSplitter::mouseReleaseEvent(QMouseEvent* event) {
  mouseMoveEvent(event);
  m_dragging = false;
}

}  // namespace qv::ui
