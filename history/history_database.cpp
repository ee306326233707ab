#include "history_database.h"

#include "unreadable_file.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace qv::history {

Q_LOGGING_CATEGORY(lcHistory, "qv.history")

namespace {

QAtomicInteger<quint64> g_connections = 0;

// The ids grow with every insert, so "newest first" is the id order, which the full-text index
// can walk backwards and stop early; heard_at is only shown and used to expire old titles.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS heard (id INTEGER PRIMARY KEY AUTOINCREMENT, heard_at INTEGER NOT NULL, "
    "station_name TEXT NOT NULL, station_link TEXT NOT NULL, title TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS heard_by_time ON heard (heard_at)",
    // Prefix indexes make the first letters typed as quick as whole words.
    "CREATE VIRTUAL TABLE IF NOT EXISTS heard_text USING fts5 (title, station_name, content='heard', "
    "content_rowid='id', tokenize='unicode61 remove_diacritics 2', prefix='1 2 3')",
    "CREATE TRIGGER IF NOT EXISTS heard_added AFTER INSERT ON heard BEGIN "
    "INSERT INTO heard_text (rowid, title, station_name) VALUES (new.id, new.title, new.station_name); END",
    "CREATE TRIGGER IF NOT EXISTS heard_removed AFTER DELETE ON heard BEGIN "
    "INSERT INTO heard_text (heard_text, rowid, title, station_name) "
    "VALUES ('delete', old.id, old.title, old.station_name); END",
};

bool isBusy(const QSqlError& error) {
  const QString code = error.nativeErrorCode();
  return code == QLatin1String("5") || code == QLatin1String("6");  // SQLITE_BUSY, SQLITE_LOCKED
}

QString sqlError(const QSqlQuery& query) {
  return query.lastError().text();
}

bool exec(QSqlDatabase& db, const QString& statement, QSqlError* error = nullptr) {
  QSqlQuery query(db);
  if (query.exec(statement)) {
    return true;
  }
  if (error) {
    *error = query.lastError();
  }
  return false;
}

HistoryEntry entryOf(const QSqlQuery& query) {
  HistoryEntry entry;
  entry.id = query.value(0).toLongLong();
  entry.heardAt = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::UTC);
  entry.stationName = query.value(2).toString();
  entry.stationLink = query.value(3).toString();
  entry.title = query.value(4).toString();
  return entry;
}

}  // namespace

QString fullTextQuery(const QString& text) {
  static const QRegularExpression nonWord(QStringLiteral("[^\\p{L}\\p{N}\\p{M}]+"));
  QStringList words;
  for (const QString& word : text.split(nonWord, Qt::SkipEmptyParts)) {
    words.append(QLatin1Char('"') + word + QStringLiteral("\"*"));  // a word holds no quote
  }
  return words.join(QLatin1Char(' '));
}

HistoryDatabase::HistoryDatabase()
    : m_connection(QStringLiteral("qv-history-") + QString::number(g_connections.fetchAndAddRelaxed(1))) {}

HistoryDatabase::~HistoryDatabase() {
  close();
}

void HistoryDatabase::close() {
  if (!QSqlDatabase::contains(m_connection)) {
    return;
  }
  {
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(m_connection);
}

bool HistoryDatabase::isOpen() const {
  return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

QString HistoryDatabase::lastError() const {
  return QSqlDatabase::contains(m_connection) ? QSqlDatabase::database(m_connection, false).lastError().text()
                                              : QString();
}

bool HistoryDatabase::openForReading(const QString& path) {
  close();
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
  db.setDatabaseName(path);
  db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=100"));
  return db.open();
}

OpenResult HistoryDatabase::open(const QString& path) {
  OpenResult result;
  close();
  QSqlError error;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(path);
    // A reader's short read never makes a write fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
      result.error = db.lastError().text();
      return result;
    }
    bool healthy = false;
    {
      QSqlQuery check(db);
      healthy = check.exec(QStringLiteral("PRAGMA quick_check")) && check.next() &&
                check.value(0).toString() == QLatin1String("ok");
      error = check.lastError();
    }
    if (healthy && createTables(&error)) {
      result.ok = true;
      return result;
    }
  }
  if (isBusy(error)) {
    // Another program holds it: it is in use, not damaged.
    result.error = error.text();
    return result;
  }
  qCWarning(lcHistory) << "history database" << path << "is damaged, starting a new one:" << error.text();
  startAfresh(path, result);
  return result;
}

bool HistoryDatabase::startAfresh(const QString& path, OpenResult& result) {
  close();
  result.keptAside = keepUnreadableFileAside(path);
  if (result.keptAside.isEmpty()) {
    result.error = QStringLiteral("the damaged history database could not be moved aside");
    return false;
  }
  // Its log belongs to the damaged file: left in place it would be replayed into the new one.
  for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
    if (QFileInfo::exists(path + suffix) && !QFile::rename(path + suffix, result.keptAside + suffix)) {
      QFile::remove(path + suffix);
    }
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
  db.setDatabaseName(path);
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
  QSqlError error;
  if (!db.open() || !createTables(&error)) {
    result.error = db.isOpen() ? error.text() : db.lastError().text();
    return false;
  }
  result.ok = true;
  return true;
}

bool HistoryDatabase::createTables(QSqlError* error) {
  QSqlDatabase db = QSqlDatabase::database(m_connection, false);
  {
    QSqlQuery mode(db);
    if (!mode.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !mode.next() ||
        mode.value(0).toString() != QLatin1String("wal")) {
      *error = mode.lastError();
      return false;
    }
  }
  // With the log, NORMAL loses at most the last titles on a power cut, never the file.
  if (!exec(db, QStringLiteral("PRAGMA synchronous=NORMAL"), error)) {
    return false;
  }
  for (const char* statement : kSchema) {
    if (!exec(db, QString::fromLatin1(statement), error)) {
      return false;
    }
  }
  return true;
}

bool HistoryDatabase::add(const HistoryEntry& entry) {
  QSqlDatabase db = QSqlDatabase::database(m_connection, false);
  if (!exec(db, QStringLiteral("BEGIN IMMEDIATE"))) {
    return false;
  }
  QSqlQuery newest(db);
  newest.prepare(QStringLiteral("SELECT station_link, title FROM heard ORDER BY id DESC LIMIT 1"));
  if (!newest.exec()) {
    exec(db, QStringLiteral("ROLLBACK"));
    return false;
  }
  if (newest.next() && newest.value(0).toString() == entry.stationLink && newest.value(1).toString() == entry.title) {
    newest.finish();
    exec(db, QStringLiteral("ROLLBACK"));
    return false;
  }
  newest.finish();
  QSqlQuery insert(db);
  insert.prepare(QStringLiteral(
      "INSERT INTO heard (heard_at, station_name, station_link, title) VALUES (:at, :name, :link, :title)"));
  insert.bindValue(QStringLiteral(":at"), entry.heardAt.toMSecsSinceEpoch());
  insert.bindValue(QStringLiteral(":name"), entry.stationName);
  insert.bindValue(QStringLiteral(":link"), entry.stationLink);
  insert.bindValue(QStringLiteral(":title"), entry.title);
  if (!insert.exec()) {
    qCWarning(lcHistory) << "a title could not be stored:" << sqlError(insert);
    exec(db, QStringLiteral("ROLLBACK"));
    return false;
  }
  return exec(db, QStringLiteral("COMMIT"));
}

QList<HistoryEntry> HistoryDatabase::search(const QString& text, int limit) const {
  QSqlDatabase db = QSqlDatabase::database(m_connection, false);
  const QString match = fullTextQuery(text);
  QSqlQuery query(db);
  query.setForwardOnly(true);
  if (match.isEmpty()) {
    query.prepare(QStringLiteral(
        "SELECT id, heard_at, station_name, station_link, title FROM heard ORDER BY id DESC LIMIT :limit"));
  } else {
    query.prepare(QStringLiteral(
        "SELECT h.id, h.heard_at, h.station_name, h.station_link, h.title FROM heard h JOIN "
        "(SELECT rowid FROM heard_text WHERE heard_text MATCH :match ORDER BY rowid DESC LIMIT :limit) m "
        "ON h.id = m.rowid ORDER BY h.id DESC"));
    query.bindValue(QStringLiteral(":match"), match);
  }
  query.bindValue(QStringLiteral(":limit"), limit);
  QList<HistoryEntry> entries;
  if (!query.exec()) {
    qCWarning(lcHistory) << "search failed:" << sqlError(query);
    return entries;
  }
  while (query.next()) {
    entries.append(entryOf(query));
  }
  return entries;
}

int HistoryDatabase::removeOlderThan(const QDateTime& cutoff) {
  QSqlDatabase db = QSqlDatabase::database(m_connection, false);
  QSqlQuery query(db);
  query.prepare(QStringLiteral("DELETE FROM heard WHERE heard_at < :cutoff"));
  query.bindValue(QStringLiteral(":cutoff"), cutoff.toMSecsSinceEpoch());
  return query.exec() ? query.numRowsAffected() : 0;
}

bool HistoryDatabase::clear() {
  QSqlDatabase db = QSqlDatabase::database(m_connection, false);
  // Both at once, so the index never lists a title the table no longer has.
  if (!exec(db, QStringLiteral("BEGIN IMMEDIATE"))) {
    return false;
  }
  if (!exec(db, QStringLiteral("DELETE FROM heard")) || !exec(db, QStringLiteral("COMMIT"))) {
    exec(db, QStringLiteral("ROLLBACK"));
    return false;
  }
  return true;
}

qint64 HistoryDatabase::count() const {
  QSqlQuery query(QSqlDatabase::database(m_connection, false));
  return query.exec(QStringLiteral("SELECT count(*) FROM heard")) && query.next() ? query.value(0).toLongLong() : 0;
}

}  // namespace qv::history
