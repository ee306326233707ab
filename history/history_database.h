#pragma once

#include "history_entry.h"

#include <QList>
#include <QString>

class QSqlError;

namespace qv::history {

//! What opening the database did.
struct OpenResult {
  bool ok = false;
  //! The damaged or unreadable database was renamed to this before a new one began; empty when
  //! nothing was kept aside.
  QString keptAside;
  QString error;  //!< why it could not be opened at all (ok is false)
};

//! The titles heard, in an SQLite file with a write-ahead log and a full-text index of titles and
//! station names. One object is one connection and belongs to the thread that opened it; several
//! connections (a writer and readers) may use the same file at once.
class HistoryDatabase {
 public:
  HistoryDatabase();
  ~HistoryDatabase();
  HistoryDatabase(const HistoryDatabase&) = delete;
  HistoryDatabase& operator=(const HistoryDatabase&) = delete;

  //! Opens `path`, creating it with its tables. A file that is not a database or fails its
  //! integrity check is kept aside under a dated name (with its log) and a new one begins.
  OpenResult open(const QString& path);
  //! Opens an existing database for searching; damages are left to the writer to mend.
  bool openForReading(const QString& path);
  bool isOpen() const;
  QString lastError() const;

  //! Stores a title in one short transaction, unless the newest title stored is the same title on
  //! the same station (heard again after a reconnection or a repeated report). Returns whether it
  //! was stored; `entry.id` is ignored.
  bool add(const HistoryEntry& entry);
  //! The newest titles first, at most `limit`; with `text`, only those whose title or station
  //! name holds words beginning with each word of the text, in any order and letter case.
  QList<HistoryEntry> search(const QString& text, int limit) const;
  //! Removes the titles heard before `cutoff`; returns how many.
  int removeOlderThan(const QDateTime& cutoff);
  bool clear();
  qint64 count() const;

 private:
  bool createTables(QSqlError* error);
  bool startAfresh(const QString& path, OpenResult& result);
  void close();

  QString m_connection;  // the Qt SQL connection's unique name
};

//! The full-text query for what the user typed: every word as a quoted prefix, so that no input
//! is read as query syntax. Empty when the text holds no word.
QString fullTextQuery(const QString& text);

}  // namespace qv::history
