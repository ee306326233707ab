#pragma once

#include "station_check.h"
#include "stations/station_entry.h"

#include <QWidget>

#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace qv::ui {

//! "Check my stations": every station of the list is probed in the background, with progress and
//! a cancel. Each row shows the verdict and, for a dead or moved station, the directory's current
//! link beside the old one. Nothing changes until the user applies one replacement or all of them.
//! GUI thread.
class CheckStationsWindow : public QWidget {
  Q_OBJECT

 public:
  //! One station to change: its place in the list that was checked, as it was, and as it becomes.
  struct Change {
    int index;
    qv::stations::StationEntry before;
    qv::stations::StationEntry after;
  };

  explicit CheckStationsWindow(qv::directory::CheckOptions options, QWidget* parent = nullptr);

  //! Shows `stations` and starts their check (a check still running is cancelled first).
  void start(const std::vector<qv::stations::StationEntry>& stations);
  void retranslate();
  bool running() const;

  // For tests and keyboard navigation.
  QTreeWidget* rows() const { return m_rows; }
  QLabel* statusLabel() const { return m_status; }
  QPushButton* applyButton() const { return m_apply; }
  QPushButton* applyAllButton() const { return m_applyAll; }
  QPushButton* cancelButton() const { return m_cancel; }

 signals:
  void applyRequested(const std::vector<qv::ui::CheckStationsWindow::Change>& changes);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void showChecked(const qv::directory::CheckedStation& checked, int done, int total);
  void showFinished(const qv::directory::CheckSummary& summary);
  void applySelected();
  void applyAll();
  void updateButtons();
  QString verdictText(const qv::directory::ProbeResult& probe) const;

  std::unique_ptr<qv::directory::StationCheck> m_check;
  qv::directory::CheckOptions m_options;
  std::vector<qv::stations::StationEntry> m_stations;                   // as they were checked
  std::vector<std::optional<qv::directory::CheckedStation>> m_checked;  // by index
  QTreeWidget* m_rows;
  QProgressBar* m_progress;
  QLabel* m_status;
  QPushButton* m_cancel;
  QPushButton* m_apply;
  QPushButton* m_applyAll;
  QPushButton* m_close;
};

}  // namespace qv::ui
