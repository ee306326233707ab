#pragma once

#include <QAbstractListModel>

namespace qv::stations {
class StationList;
}

namespace qv::ui {

//! The rows of `StationsList`: one per entry of the active array, texts made on demand, so a
//! list of 100,000 stations costs nothing until rows are shown. Resets whenever the station list
//! is rebuilt.
class StationRowsModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  enum Role : int {
    //! True for the row whose index equals CurrentStation.
    IsCurrentRole = Qt::UserRole + 1,
  };

  //! The format a row drag carries; only drags of the same list are accepted.
  static constexpr char kRowDragFormat[] = "application/x-quorventale-station-row";

  explicit StationRowsModel(const stations::StationList& stations, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  Qt::DropActions supportedDropActions() const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;

 private:
  const stations::StationList& m_stations;
};

}  // namespace qv::ui
