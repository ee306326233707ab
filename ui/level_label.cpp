#include "level_label.h"

#include <QEvent>
#include <QPainter>

namespace qv::ui {

LevelLabel::LevelLabel(QWidget* parent) : LinkLabel(parent) {
  // Brackets are never rich text; saying so spares the check on every change.
  setTextFormat(Qt::PlainText);
  // It paints its own background, the window's colour that is all there is behind it; being
  // opaque, a level change repaints this label alone and not the window beneath it.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), window()->palette().color(QPalette::Window));
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
