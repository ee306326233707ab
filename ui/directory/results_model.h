#pragma once

#include "directory_station.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPixmap>

#include <vector>

namespace qv::ui {

//! The directory's stations as rows: name, country, tags, codec and bitrate, and the directory's
//! "broken" mark. Every cell is plain text.
class ResultsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column : int { Name, Country, Tags, Format, Broken, ColumnCount };

  using QAbstractTableModel::QAbstractTableModel;

  void replace(std::vector<qv::directory::DirectoryStation> stations);
  void append(const std::vector<qv::directory::DirectoryStation>& stations);
  const qv::directory::DirectoryStation* station(int row) const;
  //! The logo of every station whose favicon is `link`, shown beside its name.
  void setLogo(const QString& link, const QPixmap& logo);
  //! The column titles follow the language; call after a language switch.
  void retranslate();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<qv::directory::DirectoryStation> m_stations;
  QHash<QString, QPixmap> m_logos;  // by favicon link
};

}  // namespace qv::ui
