#include "playlist_opener.h"

#include "paths.h"
#include "playlist_readers.h"
#include "zip_import.h"

#include <utility>

namespace qv::playlists {

PlaylistOpener::Outcome PlaylistOpener::OpenPL(const QString& fileName) {
  return importFile(fileName, false, fileName);
}

PlaylistOpener::Outcome PlaylistOpener::importFile(const QString& fileName, bool emptyListFirst,
                                                   const QString& source) {
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
    m_state.recent.AddRecentFile(source);
    m_state.PlaylistPath = source;
    if (m_hooks.recentChanged) {
      m_hooks.recentChanged();
    }
  } else {
    m_state.recent.fillPlaceholder(unsavedText, source, m_state.stations.PLAY_ARRAY().front().Link);
  }
  return Outcome::Done;
}

PlaylistOpener::Step PlaylistOpener::openAfterSaveQuestion(const QString& fileName, const QString& source) {
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
  return importFile(fileName, false, source) == Outcome::Done ? Step::Opened : Step::Stop;
}

PlaylistOpener::Step PlaylistOpener::importZip(const QString& zipPath, bool saveAnswered) {
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
  bool emptyListFirst = saveAnswered;
  for (const QString& file : extraction.files) {
    Step step = Step::Opened;
    if (saveAnswered) {
      const Outcome outcome = importFile(file, std::exchange(emptyListFirst, false), zipPath);
      step = outcome == Outcome::Done ? Step::Opened : Step::Stop;
    } else {
      step = openAfterSaveQuestion(file, zipPath);
    }
    if (step == Step::Stop) {
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
    if (openAfterSaveQuestion(fileName, fileName) == Step::Stop) {
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
  // An archive asks again which of its members to take.
  const bool archive = readerForFile(path) == ReaderKind::Zip;
  if (!m_state.UnsavedPL) {
    if (archive) {
      importZip(path);
    } else {
      OpenPL(path);
    }
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
        if (archive) {
          importZip(path, true);
        } else {
          importFile(path, true, path);
        }
        break;
    }
  }
  m_state.stations.RebuildPlaylist();
}

}  // namespace qv::playlists
