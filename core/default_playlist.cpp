#include "default_playlist.h"

#include "paths.h"

namespace qv {

QString defaultPlaylistFile() {
  return paths::DataFolder() + QStringLiteral("/default_playlist.ini");
}

StageOutcome loadDefaultPlaylist() {
  return StageOutcome::OwnerNotBuilt;
}

StageOutcome saveDefaultPlaylist() {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv
