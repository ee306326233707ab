#include "stations_list_view.h"

#include "station_rows_model.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QItemSelectionModel>
#include <QMimeData>

namespace qv::ui {

StationsListView::StationsListView(QWidget* parent) : QListView(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
}

int StationsListView::selectedRow() const {
  if (!selectionModel()) {
    return -1;
  }
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void StationsListView::selectRow(int row) {
  if (!selectionModel()) {
    return;
  }
  const QModelIndex index = model() ? model()->index(row, 0) : QModelIndex();
  if (!index.isValid()) {
    selectionModel()->clearSelection();
    return;
  }
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QByteArray StationsListView::dragToken() const {
  return QByteArray::number(reinterpret_cast<quintptr>(this), 16);
}

void StationsListView::mousePressEvent(QMouseEvent* event) {
  // A right-click opens the context menu for the row selected before; it selects nothing.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QListView::mousePressEvent(event);
}

void StationsListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) {
    emit doubleClicked();
  }
}

void StationsListView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      emit enterPressed();
      event->accept();
      return;
    case Qt::Key_Delete:
      emit deletePressed();
      event->accept();
      return;
    default:
      QListView::keyPressEvent(event);
  }
}

void StationsListView::contextMenuEvent(QContextMenuEvent* event) {
  emit contextMenuRequested(event->globalPos());
  event->accept();
}

void StationsListView::startDrag(Qt::DropActions) {
  if (selectedRow() < 0) {
    return;
  }
  auto* mime = new QMimeData;
  mime->setData(QLatin1String(StationRowsModel::kRowDragFormat), dragToken());
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->exec(Qt::MoveAction, Qt::MoveAction);
}

bool StationsListView::isOwnDrag(const QDropEvent* event) const {
  if (event->source() && event->source() != this) {
    return false;
  }
  const QMimeData* mime = event->mimeData();
  return mime && mime->data(QLatin1String(StationRowsModel::kRowDragFormat)) == dragToken();
}

void StationsListView::dragEnterEvent(QDragEnterEvent* event) {
  if (!isOwnDrag(event)) {
    event->ignore();
    return;
  }
  QListView::dragEnterEvent(event);
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void StationsListView::dragMoveEvent(QDragMoveEvent* event) {
  if (!isOwnDrag(event)) {
    event->ignore();
    return;
  }
  QListView::dragMoveEvent(event);  // scrolls near the edges and shows where the row goes
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

void StationsListView::dropEvent(QDropEvent* event) {
  stopAutoScroll();
  setState(NoState);
  viewport()->update();
  if (!isOwnDrag(event) || !model()) {
    event->ignore();
    return;
  }
  const QModelIndex target = indexAt(event->position().toPoint());
  const int to = target.isValid() ? target.row() : model()->rowCount() - 1;
  event->setDropAction(Qt::MoveAction);
  event->accept();
  emit rowDropped(to);
}

}  // namespace qv::ui
