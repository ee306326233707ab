#pragma once

#include "station_entry.h"

#include <QObject>
#include <QString>

#include <vector>

namespace qv::stations {

//! An item of the tag check list: one distinct tag (the form met first), or the empty item that
//! stands for the untagged stations.
struct TagItem {
  QString text;
  bool checked = true;

  bool operator==(const TagItem&) const = default;
};

//! The in-memory station list and what derives from it: the filtered view, the current station,
//! the tag list and the row texts. GUI thread only.
//!
//! The active array is FilteredStations while FilterActive is set, otherwise PLAY_ARRAY; rows and
//! CurrentStation count in it. FilteredStations holds each passing entry's index in PLAY_ARRAY,
//! so a filtered row always means the station it shows, also after that station was edited or
//! another one was deleted. Every change ends in RebuildPlaylist, which emits aboutToRebuild
//! before anything changes and rebuilt afterwards.
class StationList : public QObject {
  Q_OBJECT

 public:
  explicit StationList(QObject* parent = nullptr);

  //! Index of the current station in the active array, -1 for none. Never adjusted when the list
  //! changes; the only automatic change is to -1 when PLAY_ARRAY is rebuilt empty. Readers treat
  //! a value outside the active array as no station.
  int CurrentStation = 0;

  const std::vector<StationEntry>& PLAY_ARRAY() const { return m_stations; }
  //! Indexes into PLAY_ARRAY of the entries that passed the last filter, in list order.
  const std::vector<int>& FilteredStations() const { return m_filtered; }
  bool FilterActive() const { return m_filterActive; }

  // --- the active array ---
  int activeCount() const;
  //! The PLAY_ARRAY index of active row `row`, -1 outside the active array.
  int playIndexOfRow(int row) const;
  //! The entry of active row `row`, null outside the active array.
  const StationEntry* activeStation(int row) const;
  //! The row of PLAY_ARRAY entry `index` in the active array, -1 when it is not shown.
  int rowOfPlayIndex(int index) const;
  //! "n. Name", and " (Tag)" when the entry is tagged; n is row + 1.
  QString rowText(int row) const;
  static QString rowText(int row, const StationEntry& entry);

  // --- tags ---
  const std::vector<TagItem>& tags() const { return m_tags; }
  //! Checks or unchecks one item; the caller then runs FilterPL.
  void setTagChecked(int item, bool checked);

  // --- operations ---
  //! Rebuilds the rows and, without a filter, the tag list (every item checked).
  void RebuildPlaylist();
  //! Filters by `searchText` (as typed, upper-cased, found anywhere in the Name) and by the
  //! checked tags, then rebuilds. With every tag checked and no text the filter is off.
  void FilterPL(const QString& searchText);
  //! Turns the filter off without running it (opening a recent playlist does this first).
  void clearFilter();

  //! Replaces the whole list (start-up load, import with "replace") and rebuilds.
  void replaceAll(std::vector<StationEntry> stations);
  //! Appends entries (import with "add", the editor's new station) and rebuilds.
  void appendStations(const std::vector<StationEntry>& stations);
  //! Replaces PLAY_ARRAY entry `index` (the editor's changed station) and rebuilds. False when
  //! `index` is not an entry.
  bool replaceStation(int index, StationEntry station);
  //! Removes PLAY_ARRAY entry `index` (also from the filtered rows) and rebuilds. False when
  //! `index` is not an entry.
  bool removeStation(int index);
  //! Moves row `from` to row `to`, the rows between shifting by one, and rebuilds. Refused (false)
  //! while a filter is active, where a row position says nothing about the list order.
  bool moveStation(int from, int to);

 signals:
  void aboutToRebuild();
  void rebuilt();

 private:
  struct SearchKeys {
    QString upperName;
    QString foldedTag;
  };
  template <typename Change>
  void changeAndRebuild(Change change);
  void rebuildTags();
  void ensureSearchKeys();

  std::vector<StationEntry> m_stations;
  std::vector<int> m_filtered;
  bool m_filterActive = false;
  std::vector<TagItem> m_tags;
  //! Upper-cased names and folded tags, parallel to m_stations; rebuilt when stale.
  std::vector<SearchKeys> m_searchKeys;
  bool m_searchKeysStale = true;
};

}  // namespace qv::stations
