#pragma once

#include "playlist_opener.h"
#include "recent_playlists.h"
#include "stage_outcome.h"
#include "stations/station_entry.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class TMainForm;
class QMimeData;

namespace qv::playlists {
class LogoFetcher;
}
namespace qv::settings {
class SettingsModel;
}

namespace qv::ui {

//! The main window's playlist commands: Open, Save, Add and Edit, dropped files, the recent list
//! and the station logo. It holds the recent list; the rest of the state stays the window's.
//! GUI thread only.
class PlaylistCommands final : public QObject {
  Q_OBJECT

 public:
  //! `settings` gives the proxy of the logo downloads.
  PlaylistCommands(TMainForm& window, const settings::SettingsModel& settings);
  ~PlaylistCommands() override;

  //! The modal questions and file dialogs, replaceable so that tests can answer them.
  struct Dialogs {
    std::function<playlists::MergeAnswer()> askMergeOrReplace;
    std::function<playlists::SaveAnswer()> askSaveFirst;
    //! A Yes/No question; true for Yes.
    std::function<bool(const QString&)> confirm;
    std::function<void(const QString&)> showMessage;
    //! The chosen file, empty when the dialog was cancelled.
    std::function<QString()> chooseOpenFile;
    std::function<QString()> chooseSaveFile;
  };
  Dialogs dialogs;

  const playlists::RecentPlaylists& recent() const { return m_recent; }
  //! The downloads of station logos (tests wait for them).
  playlists::LogoFetcher& logoFetcher() { return *m_logoFetcher; }

  void popOpenPLClick();
  void popSavePlaylistClick();
  void popAddStationClick();
  void Edit1Click(int EDIT_ID, const stations::StationEntry& entry);
  //! The local files of a drop, in order; false when it carries none.
  bool dropFiles(const QMimeData& data);
  void openFiles(const QStringList& files);

  void ListsListBoxDblClick(int row);
  void Delete2Click();
  void DeleteAll1Click();
  void RebuildRecentPL();

  StageOutcome loadRecent();
  //! Writes the recent list; a failure is added to `failures`, to be told with the others.
  StageOutcome saveRecent(QStringList& failures);

  //! The logo of the current station in `LogoImage`: the cached file, a download that shows it
  //! when it arrives, or the default logo.
  void showStationLogo();

 private:
  void fillRecentRows();
  void showDefaultLogo();
  //! Shows `file` when it decodes; otherwise the default logo, and the file goes.
  void showLogoFile(const QString& file);
  std::vector<stations::StationEntry> activeStations() const;

  TMainForm& m_window;
  const settings::SettingsModel& m_settings;
  playlists::RecentPlaylists m_recent;
  playlists::PlaylistOpener m_opener;
  playlists::LogoFetcher* m_logoFetcher;
  //! The logo file `LogoImage` should show; a download that ends for another one is not shown.
  QString m_wantedLogo;
};

}  // namespace qv::ui
