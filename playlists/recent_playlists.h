#pragma once

#include "stage_outcome.h"

#include <QString>

namespace qv::playlists {

//! The recent-playlist list, `recent_playlists.ini` in DataFolder: loaded at start-up, saved at
//! shutdown. Not built yet: both return OwnerNotBuilt and the file is left untouched.
QString recentPlaylistsFile();
StageOutcome loadRecentPlaylists();
StageOutcome saveRecentPlaylists();

}  // namespace qv::playlists
