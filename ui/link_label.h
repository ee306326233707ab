#pragma once

#include <QLabel>

namespace qv::ui {

//! A label of the information panel. It takes mouse presses, so pressing on it never moves the
//! window, and reports the pointer entering and leaving it and clicks (the left button released
//! over it). Whether it acts as a link is up to its owner.
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(QWidget* parent);

  //! The link look: white and underlined; otherwise the label colour without a style.
  void setLinkLook(bool on);
  bool hasLinkLook() const { return m_linkLook; }

 signals:
  void clicked();
  void entered();
  void left();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool m_linkLook = false;
};

}  // namespace qv::ui
