// What the main window asks of subsystems that are not part of the program yet. Each says so in
// the log and does nothing; the playlist and tray work replaces these.
#include "main.h"

#include "lifecycle_log.h"

void TMainForm::popOpenPLClick() {
  qv::logStageOutcome("Open Playlist", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::popSavePlaylistClick() {
  qv::logStageOutcome("Save Playlist", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::popAddStationClick() {
  qv::logStageOutcome("Add Station", qv::StageOutcome::OwnerNotBuilt);
}
