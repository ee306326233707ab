#include "results_model.h"

#include "directory_texts.h"

namespace qv::ui {

void ResultsModel::replace(std::vector<qv::directory::DirectoryStation> stations) {
  beginResetModel();
  m_stations = std::move(stations);
  endResetModel();
}

void ResultsModel::append(const std::vector<qv::directory::DirectoryStation>& stations) {
  if (stations.empty()) {
    return;
  }
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(stations.size()) - 1);
  m_stations.insert(m_stations.end(), stations.begin(), stations.end());
  endInsertRows();
}

const qv::directory::DirectoryStation* ResultsModel::station(int row) const {
  return row >= 0 && row < rowCount() ? &m_stations[static_cast<std::size_t>(row)] : nullptr;
}

void ResultsModel::setLogo(const QString& link, const QPixmap& logo) {
  m_logos.insert(link, logo);
  for (int row = 0; row < rowCount(); ++row) {
    if (m_stations[static_cast<std::size_t>(row)].favicon == link) {
      emit dataChanged(index(row, Name), index(row, Name), {Qt::DecorationRole});
    }
  }
}

void ResultsModel::retranslate() {
  emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
  if (rowCount() > 0) {
    emit dataChanged(index(0, Format), index(rowCount() - 1, Broken));
  }
}

int ResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_stations.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
  const qv::directory::DirectoryStation* entry = station(index.row());
  if (entry && role == Qt::DecorationRole && index.column() == Name) {
    const auto logo = m_logos.constFind(entry->favicon);
    return logo == m_logos.constEnd() ? QVariant() : QVariant(*logo);
  }
  if (!entry || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
    return {};
  }
  switch (index.column()) {
    case Name:
      return entry->name;
    case Country:
      return entry->countryCode.isEmpty()
                 ? entry->country
                 : entry->country + QStringLiteral(" (") + entry->countryCode + QLatin1Char(')');
    case Tags:
      return entry->tags;
    case Format:
      if (entry->bitrate <= 0) {
        return entry->codec;
      }
      return (entry->codec.isEmpty() ? QString() : entry->codec + QLatin1Char(' ')) +
             qv::l_findkbps.arg(entry->bitrate);
    case Broken:
      return entry->broken ? qv::l_findbroken : QString();
    default:
      return {};
  }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
    return {};
  }
  switch (section) {
    case Name:
      return qv::l_findname;
    case Country:
      return qv::l_findcountry;
    case Tags:
      return qv::l_findtag;
    case Format:
      return qv::l_findcodec;
    default:
      return QString();
  }
}

}  // namespace qv::ui
