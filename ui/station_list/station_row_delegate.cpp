#include "station_row_delegate.h"

#include "station_rows_model.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace qv::ui {

void StationRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const bool selected = option.state.testFlag(QStyle::State_Selected);
  QFont font = option.font;
  font.setBold(index.data(StationRowsModel::IsCurrentRole).toBool());

  painter->save();
  painter->setClipRect(option.rect);
  painter->fillRect(option.rect, selected ? QColor(0x80, 0x80, 0x80) : option.palette.color(QPalette::Base));
  painter->setPen(selected ? QColor(Qt::black) : option.palette.color(QPalette::Text));
  painter->setFont(font);
  painter->drawText(option.rect.adjusted(m_layout.textLeft, m_layout.textTop, 0, 0),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    fittedText(index.data(Qt::DisplayRole).toString(), font, option.rect.width()));
  if (option.state.testFlag(QStyle::State_HasFocus)) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = option.rect;
    const QStyle* style = option.widget ? option.widget->style() : nullptr;
    if (style) {
      style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
  }
  painter->restore();
}

// A name wider than the row ends in an ellipsis, so a cut one is told from a short one.
QString StationRowDelegate::fittedText(const QString& text, const QFont& font, int rowWidth) const {
  return QFontMetrics(font).elidedText(text, Qt::ElideRight, rowWidth - 2 * m_layout.textLeft, Qt::TextSingleLine);
}

QSize StationRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return {option.rect.width(), m_layout.rowHeight};
}

}  // namespace qv::ui
