#pragma once

#include "stage_outcome.h"

#include <QString>

namespace qv {

//! The program's own playlist, `default_playlist.ini` in DataFolder: loaded at start-up and saved
//! at shutdown. The station list subsystem that reads and writes it is not built yet: both calls
//! return OwnerNotBuilt and leave the file untouched, so no stored station is ever overwritten.
QString defaultPlaylistFile();
StageOutcome loadDefaultPlaylist();
StageOutcome saveDefaultPlaylist();

}  // namespace qv
