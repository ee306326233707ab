#pragma once

#include "history_entry.h"

#include <QObject>
#include <QString>
#include <QThread>

namespace qv::history {

class HistoryWriter;

//! Keeps the titles heard in the history database on a thread of its own, so neither playback nor
//! the window ever waits for the disk. Created and called on one thread (the GUI thread); its
//! signals arrive on that thread.
class HistoryRecorder : public QObject {
  Q_OBJECT

 public:
  //! Opens (or creates) the database at `path` on the writer thread and removes titles older than
  //! `keepDays` days (at start and then once a day).
  HistoryRecorder(const QString& path, int keepDays, QObject* parent = nullptr);
  //! Finishes the writes already asked for, then ends the thread.
  ~HistoryRecorder() override;

  QString path() const { return m_path; }

  //! Stores the title unless it repeats the newest one of the same station; returns at once.
  void record(const qv::history::HistoryEntry& entry);
  //! Removes every title; `cleared` says when it is done.
  void clear();

 signals:
  //! Once, after the database was opened. `keptAside` names the damaged database that was moved
  //! away for a new one; `error` says why there is no history this session (then ok is false).
  void opened(bool ok, const QString& keptAside, const QString& error);
  //! A title was stored (a repeat is not).
  void recorded(const qv::history::HistoryEntry& entry);
  void cleared(bool ok);

 private:
  QString m_path;
  QThread m_thread;
  HistoryWriter* m_writer;  // lives on m_thread; deleted there when it ends
};

}  // namespace qv::history

Q_DECLARE_METATYPE(qv::history::HistoryEntry)
