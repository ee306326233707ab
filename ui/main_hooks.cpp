// What the main window asks of subsystems that are not part of the program yet. Each says so in
// the log and does nothing; the playback, station list, playlist and tray work replaces these.
#include "main.h"

#include "lifecycle_log.h"

bool TMainForm::streamActive() const {
  return false;  // no stream exists before the audio engine
}

bool TMainForm::streamPlaying() const {
  return false;
}

void TMainForm::PreviousImageClick() {
  qv::logStageOutcome("Previous", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::NextImageClick() {
  qv::logStageOutcome("Next", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::PlayStopImageClick() {
  if (streamActive()) {
    qv::logStageOutcome("Stop", qv::StageOutcome::OwnerNotBuilt);
  } else {
    Play();
  }
}

void TMainForm::popOpenPLClick() {
  qv::logStageOutcome("Open Playlist", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::popSavePlaylistClick() {
  qv::logStageOutcome("Save Playlist", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::popAddStationClick() {
  qv::logStageOutcome("Add Station", qv::StageOutcome::OwnerNotBuilt);
}

void TMainForm::showTrayIcon() {
  qv::logStageOutcome("tray icon", qv::StageOutcome::OwnerNotBuilt);
}
