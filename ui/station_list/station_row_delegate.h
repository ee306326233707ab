#pragma once

#include <QStyledItemDelegate>

namespace qv::ui {

//! Draws a row of `StationsList`: grey #808080 with black text when selected, bold for the current
//! station, the text 10 px right of and 5 px below the row's corner, rows 25 px high; a text wider
//! than the row (less the same margin on the right) ends in an ellipsis. The recent list's rows are
//! drawn the same way with their own layout (5 px in, as its label), bold for the marked row.
class StationRowDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  static constexpr int kRowHeight = 25;
  static constexpr int kTextLeft = 10;
  static constexpr int kTextTop = 5;

  struct Layout {
    int rowHeight;
    int textLeft;
    int textTop;
  };
  static constexpr Layout kStationRows{kRowHeight, kTextLeft, kTextTop};
  static constexpr Layout kRecentRows{15, 5, 0};

  explicit StationRowDelegate(QObject* parent, Layout layout = kStationRows)
      : QStyledItemDelegate(parent), m_layout(layout) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  //! `text` as a row `rowWidth` wide in `font` shows it.
  QString fittedText(const QString& text, const QFont& font, int rowWidth) const;

 private:
  Layout m_layout;
};

}  // namespace qv::ui
