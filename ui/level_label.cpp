#include "level_label.h"

#include <QEvent>
#include <QPainter>

namespace qv::ui {

LevelLabel::LevelLabel(QWidget* parent) : LinkLabel(parent) {}

void LevelLabel::paintEvent(QPaintEvent*) {
  if (text().isEmpty()) {
    return;
  }
  auto laidOut = m_laidOut.find(text());
  if (laidOut == m_laidOut.end()) {
    QStaticText made(text());
    made.setTextFormat(Qt::PlainText);
    made.prepare(QTransform(), font());
    laidOut = m_laidOut.insert(text(), made);
  }
  const QSizeF size = laidOut->size();
  const qreal left = (alignment() & Qt::AlignRight) ? width() - size.width() : 0.0;
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawStaticText(QPointF(left, (height() - size.height()) / 2.0), *laidOut);
}

void LevelLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) {
    m_laidOut.clear();
  }
  LinkLabel::changeEvent(event);
}

}  // namespace qv::ui
