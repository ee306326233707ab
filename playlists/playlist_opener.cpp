#include "playlist_opener.h"

#include "paths.h"
#include "playlist_readers.h"
#include "zip_import.h"

namespace qv::playlists {

PlaylistOpener::Outcome PlaylistOpener::OpenPL(const QString& fileName) {
  return importFile(fileName, false);
}

PlaylistOpener::Outcome PlaylistOpener::importFile(const QString& fileName, bool emptyListFirst) {
  m_hooks.clearSearch();
  ReadResult read = readPlaylistFile(fileName);
  if (!read.ok()) {
    m_hooks.showMessage(read.error);
    return Outcome::Failed;
  }
  if (const QString skipped = skippedLinksMessage(fileName, read.skippedLinks); !skipped.isEmpty()) {
    m_hooks.showMessage(skipped);
  }
  if (read.stations.empty()) {
    return Outcome::Done;
  }
  const MergeAnswer answer = m_hooks.askMergeOrReplace();
  if (answer == MergeAnswer::Cancel) {
    return Outcome::Done;
  }
  if (answer == MergeAnswer::Replace || emptyListFirst) {
    m_state.stations.replaceAll(std::move(read.stations));
  } else {
    m_state.stations.appendStations(read.stations);
  }
  if (answer == MergeAnswer::Replace) {
    m_state.recent.AddRecentFile(fileName);
    m_state.PlaylistPath = fileName;
    if (m_hooks.recentChanged) {
      m_hooks.recentChanged();
    }
  } else {
    m_state.recent.fillPlaceholder(unsavedText, fileName, m_state.stations.PLAY_ARRAY().front().Link);
  }
  return Outcome::Done;
}

PlaylistOpener::Step PlaylistOpener::openAfterSaveQuestion(const QString& fileName) {
  if (m_state.UnsavedPL) {
    switch (m_hooks.askSaveFirst()) {
      case SaveAnswer::Yes:
        m_hooks.savePlaylist();
        return Step::Skipped;
      case SaveAnswer::Cancel:
        return Step::Stop;
      case SaveAnswer::No:
        break;
    }
  }
  return OpenPL(fileName) == Outcome::Done ? Step::Opened : Step::Stop;
}

PlaylistOpener::Step PlaylistOpener::importZip(const QString& zipPath) {
  const QString folder = tempFolder.isEmpty() ? paths::TempFolder() : tempFolder;
  const ScratchFolder scratch(folder);
  const ZipExtraction extraction = extractZip(zipPath, folder);
  if (!extraction.error.isEmpty()) {
    m_hooks.showMessage(extraction.error);
    return Step::Stop;
  }
  if (const QString skipped = skippedMembersMessage(zipPath, extraction.skipped); !skipped.isEmpty()) {
    m_hooks.showMessage(skipped);
  }
  for (const QString& file : extraction.files) {
    if (openAfterSaveQuestion(file) == Step::Stop) {
      break;  // Cancel, or a member that cannot be read, ends this archive only
    }
  }
  return Step::Opened;
}

void PlaylistOpener::openFiles(const QStringList& fileNames) {
  for (const QString& name : fileNames) {
    const QString fileName = name.trimmed();
    if (readerForFile(fileName) == ReaderKind::Zip) {
      importZip(fileName);
      continue;
    }
    if (openAfterSaveQuestion(fileName) == Step::Stop) {
      break;  // Cancel, or a file that cannot be read, ends the command
    }
  }
  m_state.stations.RebuildPlaylist();
}

void PlaylistOpener::openRecentRow(int row) {
  const QString path = m_state.recent.pathOfRow(row);
  if (path.isEmpty()) {
    return;
  }
  if (!m_state.UnsavedPL) {
    OpenPL(path);
  } else {
    switch (m_hooks.askSaveFirst()) {
      case SaveAnswer::Yes:
        m_hooks.savePlaylist();
        return;
      case SaveAnswer::Cancel:
        return;
      case SaveAnswer::No:
        // The list is emptied only once the import goes ahead: a file that cannot be read or a
        // cancelled question must not cost the stations.
        m_state.stations.clearFilter();
        importFile(path, true);
        break;
    }
  }
  m_state.stations.RebuildPlaylist();
}

}  // namespace qv::playlists
