#pragma once

#include "start_arguments.h"

#include <QObject>

#include <deque>

class TMainForm;

namespace qv::app {

//! Carries out the requests of the command line and of later starts in the main window, the same
//! way for both: playlist files go through the import as a drop of those files does, a link plays
//! at once through the playback controller and the station editor opens filled in with it, the
//! actions reach the controller. Files and links wait their turn while a question of an earlier
//! one is open; the actions run at once. GUI thread only.
class StartRequests final : public QObject {
  Q_OBJECT

 public:
  explicit StartRequests(TMainForm& window);

  //! Requests from this process's own command line (the window is already in front).
  void runOwn(const std::vector<StartRequest>& requests);
  //! A message from a later start: the window comes to the front unless it only carries actions.
  void runHandedOver(const QByteArray& message);

 private:
  void run(const std::vector<StartRequest>& requests);
  void runFilesAndLinks();
  void playLink(const QString& link);

  TMainForm& m_window;
  std::deque<StartRequest> m_waiting;
  bool m_running = false;
};

}  // namespace qv::app
