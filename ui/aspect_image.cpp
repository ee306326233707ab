#include "aspect_image.h"

#include <QPainter>

namespace qv::ui {

void AspectImage::paintEvent(QPaintEvent*) {
  const QPixmap picture = pixmap();
  if (picture.isNull()) {
    return;
  }
  const QSize fitted = picture.deviceIndependentSize().toSize().scaled(size(), Qt::KeepAspectRatio);
  QRect target(QPoint(), fitted);
  target.moveCenter(rect().center());
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(target, picture);
}

}  // namespace qv::ui
