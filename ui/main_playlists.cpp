// The main window's playlist menu and file drops, handed to its playlist commands.
#include "main.h"

#include "playlist_commands.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

void TMainForm::popOpenPLClick() {
  m_playlistCommands->popOpenPLClick();
}

void TMainForm::popSavePlaylistClick() {
  m_playlistCommands->popSavePlaylistClick();
}

void TMainForm::popAddStationClick() {
  m_playlistCommands->popAddStationClick();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  }
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (m_playlistCommands->dropFiles(*event->mimeData())) {
    event->acceptProposedAction();
  }
}
