#include "levelling_memory.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

Q_LOGGING_CATEGORY(lcLevelling, "qv.levelling")

namespace qv::playback {

namespace {

QAtomicInt g_connections;

}  // namespace

LevellingMemory::LevellingMemory(const QString& path)
    : m_path(path),
      m_connection(QStringLiteral("qv-levelling-") + QString::number(g_connections.fetchAndAddRelaxed(1))) {
  // Created with the first gain learned: a profile that never plays gets no file.
  if (QFileInfo::exists(path)) {
    open();
  }
}

LevellingMemory::~LevellingMemory() {
  if (!QSqlDatabase::contains(m_connection)) {
    return;
  }
  {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(m_connection);
}

void LevellingMemory::open() {
  m_tried = true;
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
  db.setDatabaseName(m_path);
  // Another player on the same data folder holds it for a moment at most.
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
  QSqlQuery query(db);
  if (!db.open() ||
      !query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS station_gain ("
                                 "link TEXT PRIMARY KEY NOT NULL, gain_db REAL NOT NULL)")) ||
      !query.exec(QStringLiteral("SELECT link, gain_db FROM station_gain"))) {
    qCWarning(lcLevelling) << "learned station gains unavailable:" << m_path
                           << (db.isOpen() ? query.lastError().text() : db.lastError().text());
    db.close();
    return;
  }
  while (query.next()) {
    const float gain = query.value(1).toFloat();
    if (std::isfinite(gain)) {
      m_gains.insert(query.value(0).toString(), gain);
    }
  }
}

bool LevellingMemory::isOpen() const {
  return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

std::optional<float> LevellingMemory::gainFor(const QString& link) const {
  const auto found = m_gains.constFind(link);
  return found == m_gains.constEnd() ? std::nullopt : std::optional<float>(*found);
}

void LevellingMemory::remember(const QString& link, float gainDb) {
  if (link.isEmpty() || !std::isfinite(gainDb)) {
    return;
  }
  const auto kept = m_gains.constFind(link);
  if (kept != m_gains.constEnd() && std::fabs(*kept - gainDb) < 0.05F) {
    return;
  }
  m_gains.insert(link, gainDb);
  if (!m_tried) {
    open();
  }
  if (!isOpen()) {
    return;  // kept for this run only
  }
  QSqlDatabase db = QSqlDatabase::database(m_connection, false);
  QSqlQuery query(db);
  query.prepare(QStringLiteral("INSERT OR REPLACE INTO station_gain (link, gain_db) VALUES (?, ?)"));
  query.addBindValue(link);
  query.addBindValue(static_cast<double>(gainDb));
  if (!query.exec()) {
    qCWarning(lcLevelling) << "learned gain not kept:" << query.lastError().text();
  }
}

}  // namespace qv::playback
