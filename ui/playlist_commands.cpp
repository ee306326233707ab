#include "playlist_commands.h"

#include "addedit.h"
#include "error_report.h"
#include "file_dialogs.h"
#include "lifecycle_log.h"
#include "logo_cache.h"
#include "main.h"
#include "paths.h"
#include "playlist_export.h"
#include "settings/settings_model.h"
#include "settings/settings_values.h"
#include "station_list/station_row_delegate.h"
#include "station_list/station_rows_model.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace qv::ui {
namespace {

playlists::MergeAnswer askMergeOrReplace(QWidget* parent, const QString& cancelText) {
  QMessageBox box(QMessageBox::Question, qv::l_mergecaption, qv::l_mergequestion,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box.setTextFormat(Qt::PlainText);
  box.button(QMessageBox::Yes)->setText(qv::l_mergeadd);
  box.button(QMessageBox::No)->setText(qv::l_mergereplace);
  box.button(QMessageBox::Cancel)->setText(cancelText);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return playlists::MergeAnswer::Add;
    case QMessageBox::No:
      return playlists::MergeAnswer::Replace;
    default:
      return playlists::MergeAnswer::Cancel;
  }
}

playlists::SaveAnswer askSaveFirst(QWidget* parent) {
  switch (QMessageBox::question(parent, QString(), qv::l_savefirst,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return playlists::SaveAnswer::Yes;
    case QMessageBox::No:
      return playlists::SaveAnswer::No;
    default:
      return playlists::SaveAnswer::Cancel;
  }
}

}  // namespace

PlaylistCommands::PlaylistCommands(TMainForm& window, const settings::SettingsModel& settings)
    : QObject(&window),
      m_window(window),
      m_settings(settings),
      m_opener({window.Stations, m_recent, window.PlaylistPath, window.UnsavedPL},
               {[this] { m_window.SearchEdit->clear(); }, [this] { return dialogs.askMergeOrReplace(); },
                [this] { return dialogs.askSaveFirst(); }, [this] { popSavePlaylistClick(); },
                [this](const QString& message) { dialogs.showMessage(message); }, [this] { RebuildRecentPL(); }}),
      m_logoFetcher(new playlists::LogoFetcher(this)) {
  QWidget* parent = &window;
  dialogs.askMergeOrReplace = [this, parent] { return askMergeOrReplace(parent, m_window.l_cancel); };
  dialogs.askSaveFirst = [parent] { return askSaveFirst(parent); };
  dialogs.confirm = [parent](const QString& question) {
    return QMessageBox::question(parent, QString(), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  };
  dialogs.showMessage = [parent](const QString& message) {
    QMessageBox box(QMessageBox::Warning, QString(), message, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);  // names from files are never markup
    box.exec();
  };
  // The filters in the language of the moment the dialog opens; the folder last used, or the current
  // playlist's.
  dialogs.chooseOpenFile = [this, parent] {
    return chooseFile(parent, QFileDialog::AcceptOpen, QString(), dialogStartFolder(m_window.PlaylistPath),
                      m_window.openDialogFilters());
  };
  dialogs.chooseSaveFile = [this, parent] {
    return chooseFile(parent, QFileDialog::AcceptSave, QString(), dialogStartFolder(m_window.PlaylistPath),
                      m_window.saveDialogFilters(), QStringLiteral("ini"));
  };
  m_opener.unsavedText = qv::l_unsaved;
  // The placeholder row speaks the language just chosen, like every other text on screen.
  connect(&window, &TMainForm::languageApplied, this, [this] {
    m_opener.unsavedText = qv::l_unsaved;
    m_recent.renamePlaceholder(qv::l_unsaved);
    fillRecentRows();
  });
  window.ListsListBox->setItemDelegate(new StationRowDelegate(window.ListsListBox, StationRowDelegate::kRecentRows));
}

// The fetcher's threads end before the state its reports would touch goes.
PlaylistCommands::~PlaylistCommands() {
  delete m_logoFetcher;
}

std::vector<stations::StationEntry> PlaylistCommands::activeStations() const {
  const stations::StationList& list = m_window.Stations;
  if (!list.FilterActive()) {
    return list.PLAY_ARRAY();
  }
  std::vector<stations::StationEntry> shown;
  shown.reserve(list.FilteredStations().size());
  for (const int index : list.FilteredStations()) {
    shown.push_back(list.PLAY_ARRAY()[static_cast<std::size_t>(index)]);
  }
  return shown;
}

void PlaylistCommands::popOpenPLClick() {
  const QString file = dialogs.chooseOpenFile();
  if (!file.isEmpty()) {
    openFiles({file});
  }
}

void PlaylistCommands::openFiles(const QStringList& files) {
  m_opener.unsavedText = qv::l_unsaved;
  m_opener.openFiles(files);
}

void PlaylistCommands::popSavePlaylistClick() {
  const QString file = dialogs.chooseSaveFile();
  if (file.isEmpty()) {
    return;
  }
  if (const QString error = playlists::exportPlaylist(file, activeStations(), m_window.Stations.FilterActive());
      !error.isEmpty()) {
    dialogs.showMessage(error);
    return;
  }
  m_window.UnsavedPL = false;
  RebuildRecentPL();
}

void PlaylistCommands::popAddStationClick() {
  Edit1Click(-1, {});
}

void PlaylistCommands::Edit1Click(int EDIT_ID, const stations::StationEntry& entry) {
  if (!AddEditForm) {
    return;
  }
  AddEditForm->setTexts(&m_window);
  AddEditForm->logoFetcher().setProxy(m_settings.value(settings::ProxyServer));
  AddEditForm->setStore([this](int index, const stations::StationEntry& station) {
    if (index < 0) {
      m_window.Stations.appendStations({station});
    } else {
      // The editor has no field for the directory's id: an edited station keeps its own.
      stations::StationEntry edited = station;
      const auto& list = m_window.Stations.PLAY_ARRAY();
      if (index < static_cast<int>(list.size())) {
        edited.StationUuid = list[static_cast<std::size_t>(index)].StationUuid;
      }
      m_window.Stations.replaceStation(index, edited);
    }
  });
  AddEditForm->EDIT_ID = EDIT_ID;
  // A new station comes filled in when it has a link already (a stream opened from outside).
  if (EDIT_ID >= 0 || !entry.Link.isEmpty()) {
    AddEditForm->eName->setText(entry.Name);
    AddEditForm->eLink->setText(entry.Link);
    AddEditForm->eTag->setText(entry.Tag);
    AddEditForm->eLogo->setText(entry.Preview);
  }
  AddEditForm->exec();
}

bool PlaylistCommands::dropFiles(const QMimeData& data) {
  QStringList files;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) {
      files.append(url.toLocalFile());
    }
  }
  if (files.isEmpty()) {
    return false;
  }
  openFiles(files);
  return true;
}

void PlaylistCommands::ListsListBoxDblClick(int row) {
  if (row < 0) {
    return;
  }
  m_opener.unsavedText = qv::l_unsaved;
  m_opener.openRecentRow(row);
}

void PlaylistCommands::Delete2Click() {
  if (!dialogs.confirm(qv::l_delete + QLatin1Char('?'))) {
    return;
  }
  const QListWidget* list = m_window.ListsListBox;
  if (list->currentItem() && list->currentItem()->isSelected()) {
    m_recent.removeRow(list->currentRow());
  }
  m_window.UnsavedPL = true;
  RebuildRecentPL();
}

void PlaylistCommands::DeleteAll1Click() {
  if (dialogs.confirm(qv::l_deleteall + QLatin1Char('?'))) {
    m_recent.clear();
    RebuildRecentPL();
  }
}

void PlaylistCommands::RebuildRecentPL() {
  m_recent.RebuildRecentPL();
  fillRecentRows();
}

void PlaylistCommands::fillRecentRows() {
  QListWidget* list = m_window.ListsListBox;
  list->clear();
  const QStringList rows = m_recent.rows();
  for (int row = 0; row < rows.size(); ++row) {
    auto* item = new QListWidgetItem(rows[row], list);
    item->setData(StationRowsModel::IsCurrentRole, row + 1 == m_recent.RecentMarker());
  }
}

StageOutcome PlaylistCommands::loadRecent() {
  const QString error = m_recent.load(playlists::recentPlaylistsFile(), m_window.PlaylistPath, qv::l_unsaved);
  fillRecentRows();  // as loaded: the placeholder row stays until the next rebuild
  if (!error.isEmpty()) {
    showError(error);
    return StageOutcome::Failed;
  }
  return StageOutcome::Done;
}

StageOutcome PlaylistCommands::saveRecent(QStringList& failures) {
  if (const QString error = m_recent.save(playlists::recentPlaylistsFile()); !error.isEmpty()) {
    failures.append(error);
    return StageOutcome::Failed;
  }
  return StageOutcome::Done;
}

void PlaylistCommands::showDefaultLogo() {
  m_window.LogoImage->setPixmap(m_window.skin().image(QStringLiteral("PngStationLogo4")));
  m_window.setStationLogoFile(QString());
}

void PlaylistCommands::showLogoFile(const QString& file) {
  const QImage image = playlists::loadLogo(file);
  if (image.isNull()) {
    showDefaultLogo();
    QFile::remove(file);  // the next Play downloads it again
    return;
  }
  m_window.LogoImage->setPixmap(QPixmap::fromImage(image));
  m_window.setStationLogoFile(file);
}

void PlaylistCommands::showStationLogo() {
  const stations::StationEntry* station = m_window.Stations.activeStation(m_window.CurrentStation);
  if (!station || station->Preview.isEmpty()) {
    m_wantedLogo.clear();
    showDefaultLogo();
    return;
  }
  const QString file = playlists::StationLogoFile(paths::CoversFolder(), station->Name, station->Preview);
  m_wantedLogo = file;
  if (QFileInfo::exists(file)) {
    showLogoFile(file);
    return;
  }
  // The default shows while the logo comes; a failed download keeps it and costs the stream nothing.
  showDefaultLogo();
  m_logoFetcher->setProxy(m_settings.value(settings::ProxyServer));
  m_logoFetcher->fetch(station->Preview, file, [this, file](const QString& error) {
    if (!error.isEmpty()) {
      qCInfo(lcLifecycle) << "station logo" << file << "not downloaded:" << error;
    } else if (m_wantedLogo == file) {
      showLogoFile(file);
    }
  });
}

}  // namespace qv::ui
