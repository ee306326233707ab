#include "start_requests.h"

#include "addedit.h"
#include "main.h"
#include "playback_controller.h"
#include "playlist_commands.h"

#include <QLoggingCategory>
#include <QUrl>

#include <algorithm>

namespace qv::app {
namespace {

Q_LOGGING_CATEGORY(lcRequests, "qv.instance", QtInfoMsg)

bool isAction(const StartRequest& request) {
  return request.kind == RequestKind::PlayStop || request.kind == RequestKind::Next;
}

}  // namespace

StartRequests::StartRequests(TMainForm& window) : QObject(&window), m_window(window) {}

void StartRequests::runOwn(const std::vector<StartRequest>& requests) {
  run(requests);
}

void StartRequests::runHandedOver(const QByteArray& message) {
  const std::optional<std::vector<StartRequest>> requests = decodeRequests(message);
  if (!requests) {
    qCWarning(lcRequests) << "a hand-over message that is not one was ignored";
    return;
  }
  // A second start by itself, a file or a link is the user looking for the player; a desktop
  // action (play/stop, next) is not.
  if (requests->empty() || !std::all_of(requests->begin(), requests->end(), isAction)) {
    m_window.restoreMainWindow(true);
  }
  run(*requests);
}

void StartRequests::run(const std::vector<StartRequest>& requests) {
  for (const StartRequest& request : requests) {
    switch (request.kind) {
      case RequestKind::PlayStop:
        m_window.PlayStopActionExecute();
        break;
      case RequestKind::Next:
        m_window.NextActionExecute();
        break;
      case RequestKind::PlaylistFile:
      case RequestKind::StreamLink:
        m_waiting.push_back(request);
        break;
    }
  }
  if (!m_running) {
    runFilesAndLinks();
  }
}

// The import and the editor ask in nested event loops, where the next hand-over may arrive: it
// joins the queue instead of opening a second question over the first.
void StartRequests::runFilesAndLinks() {
  m_running = true;
  while (!m_waiting.empty()) {
    const StartRequest request = m_waiting.front();
    m_waiting.pop_front();
    if (request.kind == RequestKind::StreamLink) {
      playLink(request.value);
      continue;
    }
    // The files named one after another are one drop: one save question covers them.
    QStringList files{request.value};
    while (!m_waiting.empty() && m_waiting.front().kind == RequestKind::PlaylistFile) {
      files.append(m_waiting.front().value);
      m_waiting.pop_front();
    }
    m_window.playlistCommands().openFiles(files);
  }
  m_running = false;
}

void StartRequests::playLink(const QString& link) {
  const QUrl url(link);
  stations::StationEntry station;
  station.Name = url.host();
  station.Link = link;
  m_window.playbackController().playUnlisted(station);
  // The list stays as it is; the editor offers to keep the link as a station.
  if (AddEditForm && !AddEditForm->isVisible()) {
    m_window.playlistCommands().Edit1Click(-1, station);
  }
}

}  // namespace qv::app
