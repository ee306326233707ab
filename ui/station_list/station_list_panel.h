#pragma once

#include "stations/station_entry.h"

#include <QWidget>

#include <functional>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;

namespace qv::stations {
class StationList;
}

namespace qv::ui {

class PaneSplitter;
class StationRowsModel;
class StationsListView;

//! The station list panel: the station rows, the search box, the tag check list and the recent
//! playlist area. It keeps no data of its own beyond the selection and the pane sizes: it turns
//! input into operations of the station list and hands everything it does not own (playing,
//! the station editor, playlist files, the recent list) over through its signals.
class StationListPanel final : public QWidget {
  Q_OBJECT

 public:
  //! Asks a Yes/No question; true for Yes.
  using Confirm = std::function<bool(const QString& question)>;
  //! The interface text of a language-file line (1..71).
  using TextOfLine = std::function<QString(int line)>;

  StationListPanel(stations::StationList& stations, QWidget* parent);

  //! Replaces the modal Yes/No question (tests answer it themselves).
  void setConfirm(Confirm confirm);
  //! Sets the captions, the search hint and the menu items.
  void localize(const TextOfLine& text);

  //! The selected row of `StationsList`, -1 for none.
  int selectedRow() const;

  // Menu and key commands, also reachable from the menus and keys of the list.
  void Delete1Click();
  void deleteByKey();
  void Edit1Click();
  //! Moves the selected row to row `to` (nothing without a selection or while a filter is on).
  void moveSelectedTo(int to);
  //! Runs the filter with the search text and the checks of the tag list.
  void FilterPL();
  //! Puts the window's playlist menu button left of `SearchEdit`.
  void setMenuButton(QWidget* button);

  QWidget* PLLeftPanel;
  QWidget* PLLeftTopPanel;
  QLabel* lRecent;
  QListWidget* ListsListBox;
  QLabel* lTags;
  PaneSplitter* Splitter4;
  QListWidget* TagsListBox;
  PaneSplitter* Splitter3;
  QWidget* PLRightPanel;
  QLineEdit* SearchEdit;
  StationsListView* StationsList;
  QMenu* StationsPopup;
  QMenu* RecentPLPopup;

 signals:
  //! Double-click (stopFirst: the stream stops at once) or Enter on the list: `row` is the
  //! selected row of the active array, -1 for none.
  void playRequested(int row, bool stopFirst);
  //! "Edit": open the station editor on PLAY_ARRAY entry `EDIT_ID`.
  void editStationRequested(int EDIT_ID, const qv::stations::StationEntry& entry);
  //! The menu delete was answered, Yes or No: the list counts as unsaved.
  void menuDeleteAnswered();
  void recentPlaylistActivated(int row);
  void deleteRecentRequested();
  void deleteAllRecentRequested();

 private:
  QHBoxLayout* m_menuRow = nullptr;

  void createLeftPanel();
  void createRightPanel();
  void createMenus();
  void fillTagsListBox();
  void TagsListBoxClickCheck(QListWidgetItem* item);
  void onRebuilt();
  void removeSelectedStation(int row);

  stations::StationList& m_stations;
  StationRowsModel* m_rows;
  Confirm m_confirm;
  bool m_handlingTagCheck = false;
};

}  // namespace qv::ui
