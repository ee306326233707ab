#include "directory_feature.h"

#include "check_stations_window.h"
#include "directory_client.h"
#include "directory_service.h"
#include "directory_texts.h"
#include "find_stations_window.h"
#include "playback_controller.h"
#include "stations/station_list.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

namespace qv::ui {

DirectoryFeature::DirectoryFeature(QWidget& window, qv::playback::PlaybackController& controller,
                                   qv::stations::StationList& stations, ListEdits edits, QMenu* playlistMenu)
    : QObject(&window), m_window(window), m_controller(controller), m_stations(stations), m_edits(std::move(edits)) {
  // Any play of a station the directory knows, found a moment ago or added long since, is one
  // click for it (at most one a day).
  connect(&controller, &qv::playback::PlaybackController::stationRequested, this,
          [this](int, const qv::stations::StationEntry& station) {
            if (!station.StationUuid.isEmpty()) {
              client().countClick(station.StationUuid);
            }
          });
  if (playlistMenu) {
    playlistMenu->addSeparator();
    m_findAction = playlistMenu->addAction(qv::l_findstations);
    m_findAction->setObjectName(QStringLiteral("popFindStations"));
    m_findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_findAction->setShortcutContext(Qt::WindowShortcut);
    window.addAction(m_findAction);  // the key works while the menu is closed
    connect(m_findAction, &QAction::triggered, this, [this] { showFinder(); });
    m_checkAction = playlistMenu->addAction(qv::l_checkstations);
    m_checkAction->setObjectName(QStringLiteral("popCheckStations"));
    connect(m_checkAction, &QAction::triggered, this, [this] { showCheck(); });
  }
}

DirectoryFeature::~DirectoryFeature() {
  // The windows first: they use the client and the service.
  delete m_finder;
  delete m_check;
}

void DirectoryFeature::hangInTray(QMenu* trayMenu, QAction* before) {
  m_trayFindAction = new QAction(qv::l_findstations, trayMenu);
  m_trayFindAction->setObjectName(QStringLiteral("trayFindStations"));
  trayMenu->insertAction(before, m_trayFindAction);
  connect(m_trayFindAction, &QAction::triggered, this, [this] { showFinder(); });
}

void DirectoryFeature::retranslate() {
  for (QAction* action : {m_findAction, m_trayFindAction}) {
    if (action) {
      action->setText(qv::l_findstations);
    }
  }
  if (m_checkAction) {
    m_checkAction->setText(qv::l_checkstations);
  }
  if (m_finder) {
    m_finder->retranslate();
  }
  if (m_check) {
    m_check->retranslate();
  }
}

qv::directory::DirectoryClient& DirectoryFeature::client() {
  if (!m_client) {
    m_service = std::make_shared<qv::directory::DirectoryService>(qv::directory::DirectoryService::defaultOptions());
    m_client = std::make_unique<qv::directory::DirectoryClient>(m_service);
  }
  return *m_client;
}

FindStationsWindow& DirectoryFeature::showFinder() {
  if (!m_finder) {
    m_finder = new FindStationsWindow(client());  // a window of its own, above no other
    connect(m_finder, &FindStationsWindow::playRequested, this, &DirectoryFeature::play);
    connect(m_finder, &FindStationsWindow::addRequested, this, &DirectoryFeature::add);
  }
  m_finder->retranslate();
  m_finder->show();
  m_finder->raise();
  m_finder->activateWindow();
  m_finder->nameEdit()->setFocus();
  return *m_finder;
}

CheckStationsWindow& DirectoryFeature::showCheck() {
  client();
  if (!m_check) {
    qv::directory::CheckOptions options;
    options.directory = m_service.get();
    m_check = new CheckStationsWindow(options);
    connect(m_check, &CheckStationsWindow::applyRequested, this,
            [this](const std::vector<CheckStationsWindow::Change>& changes) {
              const auto& list = m_stations.PLAY_ARRAY();
              for (const CheckStationsWindow::Change& change : changes) {
                // The list may have changed since the check began: only the same station is changed.
                const auto index = static_cast<std::size_t>(change.index);
                if (index < list.size() && list[index] == change.before) {
                  m_edits.replace(change.index, change.after);
                }
              }
            });
  }
  m_check->retranslate();
  if (!m_check->running()) {
    m_check->start(m_stations.PLAY_ARRAY());
  }
  m_check->show();
  m_check->raise();
  m_check->activateWindow();
  return *m_check;
}

qv::stations::StationEntry DirectoryFeature::entryOf(const qv::directory::DirectoryStation& station) {
  qv::stations::StationEntry entry{station.name, station.playableLink(), station.firstTag(), station.logoLink()};
  entry.StationUuid = station.uuid;
  return entry;
}

void DirectoryFeature::play(const qv::directory::DirectoryStation& station) {
  const qv::stations::StationEntry entry = entryOf(station);
  if (entry.Link.isEmpty()) {
    return;
  }
  m_controller.playUnlisted(entry);  // counted with the directory through stationRequested
}

void DirectoryFeature::add(const qv::directory::DirectoryStation& station) {
  const qv::stations::StationEntry entry = entryOf(station);
  if (!entry.Link.isEmpty() && m_edits.add) {
    m_edits.add(entry);
  }
}

}  // namespace qv::ui
