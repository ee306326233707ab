#include "history_csv.h"

#include "atomic_file.h"

namespace qv::history {

namespace {

void appendField(QByteArray& out, const QString& value) {
  out.append('"');
  QByteArray text = value.toUtf8();
  out.append(text.replace('"', "\"\""));
  out.append('"');
}

}  // namespace

QByteArray historyCsv(const QList<HistoryEntry>& entries) {
  QByteArray out("\"Time (UTC)\",\"Station\",\"Station link\",\"Title\"\r\n");
  for (const HistoryEntry& entry : entries) {
    appendField(out, entry.heardAt.toUTC().toString(Qt::ISODate));
    out.append(',');
    appendField(out, entry.stationName);
    out.append(',');
    appendField(out, entry.stationLink);
    out.append(',');
    appendField(out, entry.title);
    out.append("\r\n");
  }
  return out;
}

QString exportHistoryCsv(const QString& path, const QList<HistoryEntry>& entries) {
  return writeFileAtomically(path, historyCsv(entries));
}

}  // namespace qv::history
