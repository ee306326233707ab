#pragma once

#include <QWidget>

namespace qv::ui {

//! A 3-pixel splitter beside one fixed-size region: dragging it sets that region's width (a
//! vertical bar) or height (a horizontal bar); the region on the other side takes what is left.
class SplitterBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kThickness = 3;
  static constexpr int kMinimumSize = 20;

  //! `target` lies before the bar (left of it, or above it) unless `targetAfter` is set.
  SplitterBar(Qt::Orientation orientation, QWidget* target, QWidget* parent, bool targetAfter = false);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int along(QPoint point) const;

  Qt::Orientation m_orientation;
  QWidget* m_target;
  bool m_targetAfter;
  bool m_dragging = false;
  int m_startPointer = 0;
  int m_startSize = 0;
};

}  // namespace qv::ui
