#include "recent_playlists.h"

#include "paths.h"

namespace qv::playlists {

QString recentPlaylistsFile() {
  return paths::DataFolder() + QStringLiteral("/recent_playlists.ini");
}

StageOutcome loadRecentPlaylists() {
  return StageOutcome::OwnerNotBuilt;
}

StageOutcome saveRecentPlaylists() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::playlists
