#pragma once

#include "history_entry.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace qv::history {

//! The titles as CSV (RFC 4180: UTF-8, CRLF, every field quoted): a header line, then one line
//! per title with its time in UTC (ISO 8601), station name, station link and title.
QByteArray historyCsv(const QList<HistoryEntry>& entries);

//! Writes historyCsv to `path` through a temporary file renamed over it, so a failed export
//! leaves an existing file as it was. Returns the error, or an empty string.
QString exportHistoryCsv(const QString& path, const QList<HistoryEntry>& entries);

}  // namespace qv::history
