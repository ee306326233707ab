#pragma once

#include <QWidget>

#include <cstdint>

namespace qv::ui {

//! A 3 px bar that resizes the pane docked beside it: for Edge::Left the pane left of the bar
//! (dragging right widens it), for Edge::Bottom the pane below the bar (dragging up heightens
//! it). The pane keeps a fixed size, so the size is the same whether or not it is shown yet.
class PaneSplitter final : public QWidget {
  Q_OBJECT

 public:
  enum class Edge : std::uint8_t { Left, Bottom };
  static constexpr int kThickness = 3;
  //! Neither the pane nor what is beside it gets smaller than this.
  static constexpr int kMinPane = 30;

  PaneSplitter(QWidget* pane, Edge edge, QWidget* parent);

 signals:
  void moved(int paneSize);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int paneSize() const;
  int maxPaneSize() const;

  QWidget* m_pane;
  Edge m_edge;
  bool m_dragging = false;
  int m_startPos = 0;
  int m_startSize = 0;
};

}  // namespace qv::ui
