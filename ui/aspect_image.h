#pragma once

#include <QLabel>

namespace qv::ui {

//! A label that draws its picture scaled to fit, keeping the picture's aspect ratio, centred.
class AspectImage : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qv::ui
