#pragma once

#include <QLabel>

namespace qv::settings_ui {

//! A label that acts as a link: underlined while the pointer is over it, and `clicked` when the left
//! button is released over it.
class HoverLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit HoverLinkLabel(QWidget* parent);

 signals:
  void clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void setUnderline(bool on);
};

}  // namespace qv::settings_ui
