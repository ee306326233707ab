#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <mutex>

namespace qv::directory {

//! When each directory station was last counted as played, kept in a small file so that a click is
//! sent at most once per station a day, across runs. Thread-safe.
class ClickMemory {
 public:
  //! Reads `filePath` (a missing or damaged file is an empty memory).
  explicit ClickMemory(QString filePath);

  //! True when `uuid` was not counted within a day before `now`; it is then remembered as counted
  //! at `now` (and the file written), so two calls in a row never both say yes.
  bool claim(const QString& uuid, const QDateTime& now);

  //! The memory's file: `directory-clicks.txt` in the cache folder.
  static QString defaultFile();

 private:
  void write(const QDateTime& now);

  const QString m_filePath;
  std::mutex m_mutex;
  QHash<QString, qint64> m_lastClickSecs;  // guarded by m_mutex: uuid → seconds since the epoch
};

}  // namespace qv::directory
