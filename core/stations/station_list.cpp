#include "station_list.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace qv::stations {
namespace {

template <typename Vector>
bool inRange(const Vector& vector, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < vector.size();
}

}  // namespace

StationList::StationList(QObject* parent) : QObject(parent) {}

int StationList::activeCount() const {
  return static_cast<int>(m_filterActive ? m_filtered.size() : m_stations.size());
}

int StationList::playIndexOfRow(int row) const {
  if (m_filterActive) {
    return inRange(m_filtered, row) ? m_filtered[static_cast<std::size_t>(row)] : -1;
  }
  return inRange(m_stations, row) ? row : -1;
}

const StationEntry* StationList::activeStation(int row) const {
  const int index = playIndexOfRow(row);
  return index < 0 ? nullptr : &m_stations[static_cast<std::size_t>(index)];
}

int StationList::rowOfPlayIndex(int index) const {
  if (!inRange(m_stations, index)) {
    return -1;
  }
  if (!m_filterActive) {
    return index;
  }
  const auto found = std::lower_bound(m_filtered.begin(), m_filtered.end(), index);
  return found != m_filtered.end() && *found == index ? static_cast<int>(found - m_filtered.begin()) : -1;
}

QString StationList::rowText(int row) const {
  const StationEntry* entry = activeStation(row);
  return entry ? rowText(row, *entry) : QString();
}

QString StationList::rowText(int row, const StationEntry& entry) {
  QString text = QString::number(row + 1) + QLatin1String(". ") + entry.Name;
  if (!entry.Tag.isEmpty()) {
    text += QLatin1String(" (") + entry.Tag + QLatin1Char(')');
  }
  return text;
}

void StationList::setTagChecked(int item, bool checked) {
  if (inRange(m_tags, item)) {
    m_tags[static_cast<std::size_t>(item)].checked = checked;
  }
}

template <typename Change>
void StationList::changeAndRebuild(Change change) {
  emit aboutToRebuild();
  change();
  if (!m_filterActive) {
    if (m_stations.empty()) {
      CurrentStation = -1;
    }
    rebuildTags();
  }
  emit rebuilt();
}

void StationList::RebuildPlaylist() {
  changeAndRebuild([] {});
}

void StationList::rebuildTags() {
  ensureSearchKeys();
  m_tags.clear();
  QSet<QString> seen;
  bool anyUntagged = false;
  for (std::size_t i = 0; i < m_stations.size(); ++i) {
    const QString& folded = m_searchKeys[i].foldedTag;
    if (folded.isEmpty()) {
      anyUntagged = true;
    } else if (!seen.contains(folded)) {
      seen.insert(folded);
      m_tags.push_back({m_stations[i].Tag, true});
    }
  }
  if (anyUntagged) {
    m_tags.push_back({QString(), true});
  }
}

void StationList::ensureSearchKeys() {
  if (!m_searchKeysStale) {
    return;
  }
  m_searchKeys.clear();
  m_searchKeys.reserve(m_stations.size());
  for (const StationEntry& entry : m_stations) {
    m_searchKeys.push_back({entry.Name.toUpper(), entry.Tag.toCaseFolded()});
  }
  m_searchKeysStale = false;
}

void StationList::FilterPL(const QString& searchText) {
  changeAndRebuild([&] {
    ensureSearchKeys();
    QSet<QString> checkedTags;
    bool allChecked = true;
    for (const TagItem& tag : m_tags) {
      if (tag.checked) {
        checkedTags.insert(tag.text.toCaseFolded());
      } else {
        allChecked = false;
      }
    }
    m_filterActive = allChecked ? !searchText.isEmpty() : true;

    // Used as typed: a trailing blank must be in the name too.
    const QString needle = searchText.toUpper();
    m_filtered.clear();
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
      const SearchKeys& keys = m_searchKeys[i];
      if (checkedTags.contains(keys.foldedTag) && (needle.isEmpty() || keys.upperName.contains(needle))) {
        m_filtered.push_back(static_cast<int>(i));
      }
    }
  });
}

void StationList::clearFilter() {
  m_filterActive = false;
}

void StationList::replaceAll(std::vector<StationEntry> stations) {
  changeAndRebuild([&] {
    m_stations = std::move(stations);
    // The old indexes name nothing in the new list; a filter left on shows no rows until it runs.
    m_filtered.clear();
    m_searchKeysStale = true;
  });
}

void StationList::appendStations(const std::vector<StationEntry>& stations) {
  changeAndRebuild([&] {
    m_stations.insert(m_stations.end(), stations.begin(), stations.end());
    m_searchKeysStale = true;
  });
}

bool StationList::replaceStation(int index, StationEntry station) {
  if (!inRange(m_stations, index)) {
    return false;
  }
  changeAndRebuild([&] {
    const auto at = static_cast<std::size_t>(index);
    if (!m_searchKeysStale) {
      m_searchKeys[at] = {station.Name.toUpper(), station.Tag.toCaseFolded()};
    }
    m_stations[at] = std::move(station);
  });
  return true;
}

bool StationList::removeStation(int index) {
  if (!inRange(m_stations, index)) {
    return false;
  }
  changeAndRebuild([&] {
    m_stations.erase(m_stations.begin() + index);
    if (!m_searchKeysStale) {
      m_searchKeys.erase(m_searchKeys.begin() + index);
    }
    std::erase(m_filtered, index);
    for (int& filtered : m_filtered) {
      if (filtered > index) {
        --filtered;
      }
    }
  });
  return true;
}

bool StationList::moveStation(int from, int to) {
  if (m_filterActive || !inRange(m_stations, from) || !inRange(m_stations, to)) {
    return false;
  }
  changeAndRebuild([&] {
    auto rotateOne = [from, to](auto& vector) {
      const auto first = vector.begin();
      if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
      } else if (to < from) {
        std::rotate(first + to, first + from, first + from + 1);
      }
    };
    rotateOne(m_stations);
    if (!m_searchKeysStale) {
      rotateOne(m_searchKeys);
    }
  });
  return true;
}

}  // namespace qv::stations
