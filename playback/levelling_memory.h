#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace qv::playback {

//! The levelling gain learned for each station, by its link, kept in a small SQLite table so that
//! a station starts at its own gain the next time. Read whole when opened (a row per station
//! heard); the file is made with the first gain kept; a write is one short statement with a
//! bounded wait. GUI thread only.
class LevellingMemory {
 public:
  //! Reads the database at `path` when there is one; an unusable file leaves the memory empty for
  //! this run (and untouched), and every gain then starts at 0 dB.
  explicit LevellingMemory(const QString& path);
  ~LevellingMemory();
  LevellingMemory(const LevellingMemory&) = delete;
  LevellingMemory& operator=(const LevellingMemory&) = delete;

  bool isOpen() const;
  std::optional<float> gainFor(const QString& link) const;
  //! Keeps `gainDb` for `link`; a gain already kept to within 0.05 dB is not written again.
  void remember(const QString& link, float gainDb);

 private:
  void open();

  QString m_path;
  QString m_connection;
  bool m_tried = false;  // open() ran: it is not tried again
  QHash<QString, float> m_gains;
};

}  // namespace qv::playback
