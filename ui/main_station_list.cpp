// The main window's side of the station list: the panel in `PlaylistPanel`, the program's own
// playlist at start-up and shutdown, and the hand-overs to the parts that play and edit stations.
#include "main.h"

#include "default_playlist.h"
#include "error_report.h"
#include "lifecycle_log.h"
#include "playback_controller.h"
#include "playlist_commands.h"
#include "station_list/station_list_panel.h"
#include "station_list/stations_list_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

void TMainForm::createStationListPanel() {
  StationsPanel = new qv::ui::StationListPanel(Stations, PlaylistPanel);
  auto* layout = new QVBoxLayout(PlaylistPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(StationsPanel);
  PLLeftPanel = StationsPanel->PLLeftPanel;
  TagsListBox = StationsPanel->TagsListBox;
  PLRightPanel = StationsPanel->PLRightPanel;
  StationsList = StationsPanel->StationsList;
  SearchEdit = StationsPanel->SearchEdit;
  ListsListBox = StationsPanel->ListsListBox;

  connect(StationsPanel, &qv::ui::StationListPanel::playRequested, this, &TMainForm::playSelectedStation);
  // An empty list has nothing to play: the play button shows its dimmed image.
  connect(&Stations, &qv::stations::StationList::rebuilt, this, [this] {
    if (Stations.PLAY_ARRAY().empty()) {
      PlayStopImage->setImage(QStringLiteral("PngPlay_3"));
    }
  });
  connect(StationsPanel, &qv::ui::StationListPanel::menuDeleteAnswered, this, [this] {
    UnsavedPL = true;
    m_playlistCommands->RebuildRecentPL();
  });
  connect(
      StationsPanel, &qv::ui::StationListPanel::editStationRequested, this,
      [this](int EDIT_ID, const qv::stations::StationEntry& entry) { m_playlistCommands->Edit1Click(EDIT_ID, entry); });
  connect(StationsPanel, &qv::ui::StationListPanel::recentPlaylistActivated, this,
          [this](int row) { m_playlistCommands->ListsListBoxDblClick(row); });
  connect(StationsPanel, &qv::ui::StationListPanel::deleteRecentRequested, this,
          [this] { m_playlistCommands->Delete2Click(); });
  connect(StationsPanel, &qv::ui::StationListPanel::deleteAllRecentRequested, this,
          [this] { m_playlistCommands->DeleteAll1Click(); });
}

int TMainForm::activeStationCount() const {
  return Stations.activeCount();
}

void TMainForm::playSelectedStation(int row, bool stopFirst) {
  playbackController().playStation(row, stopFirst);
  StationsList->viewport()->update();
}

void TMainForm::StationsListDblClick() {
  playSelectedStation(StationsPanel->selectedRow(), true);
}

void TMainForm::StationsListKeyPress() {
  playSelectedStation(StationsPanel->selectedRow(), false);
}

qv::StageOutcome TMainForm::loadStationList() {
  qv::DefaultPlaylistLoad load = qv::loadDefaultPlaylist(qv::defaultPlaylistFile());
  m_stationListLoaded = true;
  switch (load.status) {
    case qv::DefaultPlaylistLoad::Status::Missing:
      return qv::StageOutcome::Done;
    case qv::DefaultPlaylistLoad::Status::Unreadable:
      // The file was renamed aside (or, failing that, is left alone by the save).
      qv::showError(load.error);
      return qv::StageOutcome::Failed;
    case qv::DefaultPlaylistLoad::Status::Loaded:
      break;
  }
  PlaylistPath = load.PlaylistPath;
  Stations.replaceAll(std::move(load.stations));
  if (const qv::stations::StationEntry* current = Stations.activeStation(CurrentStation)) {
    StationLabel->setText(current->Name);
  } else {
    StationLabel->clear();
    leftch->clear();
    RightCh->clear();
  }
  return qv::StageOutcome::Done;
}

// The whole list is written, also while a filter shows only part of it.
qv::StageOutcome TMainForm::saveStationList(QStringList& failures) {
  if (!m_stationListLoaded) {
    qCInfo(lcLifecycle) << "close 4 skipped: the station list was not read at start-up, so the stored one is kept";
    return qv::StageOutcome::Done;
  }
  const QString error = qv::saveDefaultPlaylist(qv::defaultPlaylistFile(), PlaylistPath, Stations.PLAY_ARRAY());
  if (!error.isEmpty()) {
    failures.append(error);
    return qv::StageOutcome::Failed;
  }
  return qv::StageOutcome::Done;
}
