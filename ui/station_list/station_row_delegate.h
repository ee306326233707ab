#pragma once

#include <QStyledItemDelegate>

namespace qv::ui {

//! Draws a row of `StationsList`: grey #808080 with black text when selected, bold for the current
//! station, the text 10 px right of and 5 px below the row's corner, rows 25 px high.
class StationRowDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 25;
  static constexpr int kTextLeft = 10;
  static constexpr int kTextTop = 5;

  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace qv::ui
