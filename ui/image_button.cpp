#include "image_button.h"

#include "skin.h"

#include <QMouseEvent>
#include <QPainter>

namespace qv::ui {

ImageButton::ImageButton(const Skin& skin, QWidget* parent) : QWidget(parent), m_skin(skin) {}

void ImageButton::setImage(const QString& name) {
  if (name != m_image) {
    m_image = name;
    update();
  }
}

void ImageButton::fitToImage() {
  const QPixmap pixmap = m_skin.image(m_image);
  if (!pixmap.isNull()) {
    resize(pixmap.deviceIndependentSize().toSize());
  }
}

void ImageButton::setHoverRules(ImageRule onEnter, ImageRule onLeave) {
  m_onEnter = std::move(onEnter);
  m_onLeave = std::move(onLeave);
}

void ImageButton::apply(const ImageRule& rule) {
  if (rule) {
    if (const std::optional<QString> name = rule()) {
      setImage(*name);
    }
  }
}

void ImageButton::paintEvent(QPaintEvent*) {
  const QPixmap pixmap = m_skin.image(m_image);
  if (!pixmap.isNull()) {
    QPainter(this).drawPixmap(0, 0, pixmap);
  }
}

void ImageButton::enterEvent(QEnterEvent*) {
  apply(m_onEnter);
}

void ImageButton::leaveEvent(QEvent*) {
  apply(m_onLeave);
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
  event->accept();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
}

}  // namespace qv::ui
