#pragma once

#include <QDateTime>
#include <QString>

namespace qv::history {

//! One title heard: when (UTC), on which station, and what.
struct HistoryEntry {
  qint64 id = 0;  //!< 0 until stored; grows with every title stored
  QDateTime heardAt;
  QString stationName;
  QString stationLink;
  QString title;

  bool operator==(const HistoryEntry&) const = default;
};

}  // namespace qv::history
