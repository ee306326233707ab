#include "station_rows_model.h"

#include "stations/station_list.h"

#include <QMimeData>

namespace qv::ui {

StationRowsModel::StationRowsModel(const stations::StationList& stations, QObject* parent)
    : QAbstractListModel(parent), m_stations(stations) {
  connect(&stations, &stations::StationList::aboutToRebuild, this, [this] { beginResetModel(); });
  connect(&stations, &stations::StationList::rebuilt, this, [this] { endResetModel(); });
}

int StationRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_stations.activeCount();
}

QVariant StationRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_stations.activeCount()) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
      return m_stations.rowText(index.row());
    case IsCurrentRole:
      return index.row() == m_stations.CurrentStation;
    default:
      return {};
  }
}

Qt::ItemFlags StationRowsModel::flags(const QModelIndex& index) const {
  const Qt::ItemFlags dropTarget = Qt::ItemIsDropEnabled;
  if (!index.isValid()) {
    return dropTarget;  // below the last row
  }
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | dropTarget;
}

QStringList StationRowsModel::mimeTypes() const {
  return {QLatin1String(kRowDragFormat)};
}

Qt::DropActions StationRowsModel::supportedDropActions() const {
  return Qt::MoveAction;
}

bool StationRowsModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const {
  return data && data->hasFormat(QLatin1String(kRowDragFormat));
}

}  // namespace qv::ui
