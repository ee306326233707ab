#pragma once

#include "recent_playlists.h"
#include "stations/station_list.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace qv::playlists {

enum class MergeAnswer : std::uint8_t { Add, Replace, Cancel };
enum class SaveAnswer : std::uint8_t { Yes, No, Cancel };

//! The import as the user drives it: the save-before-open question, the reader, the
//! merge-or-replace question, ZIP archives, dropped files and the recent list's rows. It owns no
//! state: it changes the main window's station list, recent list, PlaylistPath and UnsavedPL,
//! and asks its questions through hooks, so it runs without a window. GUI thread only.
class PlaylistOpener {
 public:
  struct Hooks {
    //! Empties the search box (which runs the filter when it held text).
    std::function<void()> clearSearch;
    std::function<MergeAnswer()> askMergeOrReplace;
    std::function<SaveAnswer()> askSaveFirst;
    //! "Save Playlist" with its file dialog.
    std::function<void()> savePlaylist;
    std::function<void(const QString& message)> showMessage;
    //! The recent list took a new top entry (the "replace" answer); may be empty.
    std::function<void()> recentChanged;
  };

  struct State {
    stations::StationList& stations;
    RecentPlaylists& recent;
    QString& PlaylistPath;
    bool& UnsavedPL;
  };

  PlaylistOpener(State state, Hooks hooks) : m_state(state), m_hooks(std::move(hooks)) {}

  enum class Outcome : std::uint8_t { Done, Failed };
  //! Imports one playlist file and asks whether to add its stations or replace the list with
  //! them. A file that cannot be read leaves everything as it was and says so once.
  Outcome OpenPL(const QString& fileName);
  //! The files of one "Open Playlist" or one drop, in order: ZIP archives are unpacked and
  //! imported, other files follow the save question; Cancel there stops the rest.
  void openFiles(const QStringList& fileNames);
  //! Opens the playlist shown by `row` of the recent list.
  void openRecentRow(int row);
  //! The text the placeholder of the recent list shows.
  QString unsavedText;
  //! Where archives are unpacked.
  QString tempFolder;

 private:
  enum class Step : std::uint8_t { Opened, Skipped, Stop };
  //! `source` is what the recent list and PlaylistPath name: the file itself, or the archive a
  //! member was unpacked from (the unpacked copy is deleted afterwards).
  Step openAfterSaveQuestion(const QString& fileName, const QString& source);
  //! With `saveAnswered`, the save question was answered No already and the first member that is
  //! imported replaces the list, as a recent row does.
  Step importZip(const QString& zipPath, bool saveAnswered = false);
  Outcome importFile(const QString& fileName, bool emptyListFirst, const QString& source);

  State m_state;
  Hooks m_hooks;
};

}  // namespace qv::playlists
