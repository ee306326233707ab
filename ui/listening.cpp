#include "listening.h"

#include "history_recorder.h"
#include "history_window.h"
#include "listening_texts.h"
#include "paths.h"
#include "playback_controller.h"
#include "settings/settings_model.h"
#include "sleep_timer_control.h"
#include "sleep_timer_menu.h"
#include "stations/station_list.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QMessageBox>

namespace qv::ui {

QString Listening::historyPath() {
  return QDir(qv::paths::DataFolder()).filePath(QStringLiteral("history.sqlite"));
}

Listening::Listening(QWidget& window, qv::playback::PlaybackController& controller, qv::stations::StationList& stations,
                     qv::settings::SettingsModel& settings, QMenu* playlistMenu)
    : QObject(&window),
      m_window(window),
      m_controller(controller),
      m_stations(stations),
      m_settings(settings),
      m_sleepTimer(new qv::playback::SleepTimerControl(controller, this)) {
  using qv::playback::PlaybackController;
  connect(&controller, &PlaybackController::stationRequested, this,
          [this](int, const qv::stations::StationEntry& station) { m_station = station; });
  connect(&controller, &PlaybackController::titleChanged, this, &Listening::record);

  if (playlistMenu) {
    playlistMenu->addSeparator();
    QAction* history = m_historyAction = playlistMenu->addAction(qv::l_history);
    history->setObjectName(QStringLiteral("popHistory"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WindowShortcut);
    window.addAction(history);  // the key works while the menu is closed
    connect(history, &QAction::triggered, this, [this] { showHistory(); });
    m_sleepMenu = addSleepTimerMenu(playlistMenu, *m_sleepTimer, &window);
  }
}

void Listening::applyTexts() {
  if (m_historyAction) {
    m_historyAction->setText(qv::l_history);
  }
  if (m_sleepMenu) {
    applySleepTimerMenuTexts(m_sleepMenu, *m_sleepTimer);
  }
  if (m_history) {
    m_history->applyTexts();
  }
}

Listening::~Listening() {
  delete m_history;
}

void Listening::shutDown() {
  m_sleepTimer->cancel();
}

qv::history::HistoryRecorder& Listening::recorder() {
  if (!m_recorder) {
    // Made late, so the keep time is the one the settings hold by now.
    m_recorder =
        std::make_unique<qv::history::HistoryRecorder>(historyPath(), m_settings.value(qv::settings::HistoryKeepDays));
    connect(m_recorder.get(), &qv::history::HistoryRecorder::opened, this,
            [this](bool, const QString& keptAside, const QString& error) {
              if (keptAside.isEmpty() && error.isEmpty()) {
                return;
              }
              // Said once, without waiting for an answer: playback goes on meanwhile.
              auto* box = new QMessageBox(QMessageBox::Warning, qv::l_history,
                                          keptAside.isEmpty() ? error : qv::l_historykeptaside.arg(keptAside),
                                          QMessageBox::Ok, &m_window);
              box->setAttribute(Qt::WA_DeleteOnClose);
              box->open();
            });
    const auto refresh = [this] {
      if (m_history && m_history->isVisible()) {
        m_history->refresh();
      }
    };
    connect(m_recorder.get(), &qv::history::HistoryRecorder::recorded, this, refresh);
    connect(m_recorder.get(), &qv::history::HistoryRecorder::cleared, this, refresh);
  }
  return *m_recorder;
}

void Listening::record(const QString& title) {
  if (title.trimmed().isEmpty() || m_station.Link.isEmpty()) {
    return;
  }
  recorder().record({0, QDateTime::currentDateTimeUtc(), m_station.Name, m_station.Link, title});
}

HistoryWindow& Listening::showHistory() {
  recorder();  // a damaged database is set aside before the window reads it
  if (!m_history) {
    m_history = new HistoryWindow(historyPath());  // a window of its own, above no other
    connect(m_history, &HistoryWindow::clearRequested, this, [this] { recorder().clear(); });
    connect(m_history, &HistoryWindow::playRequested, this,
            [this](const QString&, const QString& link) { playFromHistory(link); });
  }
  m_history->refresh();
  m_history->show();
  m_history->raise();
  m_history->activateWindow();
  return *m_history;
}

void Listening::playFromHistory(const QString& link) {
  const auto& stations = m_stations.PLAY_ARRAY();
  for (std::size_t index = 0; index < stations.size(); ++index) {
    if (stations[index].Link != link) {
      continue;
    }
    const int row = m_stations.rowOfPlayIndex(static_cast<int>(index));
    if (row >= 0) {
      m_controller.playStation(row, true);
      return;
    }
  }
  // No longer in the list, or hidden by the filter.
  QApplication::beep();
}

}  // namespace qv::ui
