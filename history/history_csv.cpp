#include "history_csv.h"

#include <QSaveFile>

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
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    return file.errorString();
  }
  const QByteArray csv = historyCsv(entries);
  if (file.write(csv) != csv.size() || !file.commit()) {
    return file.errorString();
  }
  return QString();
}

}  // namespace qv::history
