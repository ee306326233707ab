#include "history_recorder.h"

#include "history_database.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace qv::history {

//! The database's one writing connection, on the recorder's thread.
class HistoryWriter : public QObject {
 public:
  HistoryWriter(QString path, int keepDays) : m_path(std::move(path)), m_keepDays(keepDays) {}

  OpenResult open() {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_database = std::make_unique<HistoryDatabase>();
    OpenResult result = m_database->open(m_path);
    if (result.ok) {
      expire();
    }
    return result;
  }

  bool add(const HistoryEntry& entry) {
    if (!m_database || !m_database->isOpen()) {
      return false;
    }
    if (m_lastExpiry.secsTo(QDateTime::currentDateTimeUtc()) > 24 * 3600) {
      expire();
    }
    return m_database->add(entry);
  }

  bool clear() { return m_database && m_database->isOpen() && m_database->clear(); }

  void close() { m_database.reset(); }

 private:
  void expire() {
    m_lastExpiry = QDateTime::currentDateTimeUtc();
    m_database->removeOlderThan(m_lastExpiry.addDays(-m_keepDays));
  }

  QString m_path;
  int m_keepDays;
  QDateTime m_lastExpiry;
  std::unique_ptr<HistoryDatabase> m_database;
};

HistoryRecorder::HistoryRecorder(const QString& path, int keepDays, QObject* parent)
    : QObject(parent), m_path(path), m_writer(new HistoryWriter(path, keepDays)) {
  qRegisterMetaType<qv::history::HistoryEntry>();
  m_thread.setObjectName(QStringLiteral("qv-history"));
  m_writer->moveToThread(&m_thread);
  m_thread.start(QThread::LowPriority);
  QMetaObject::invokeMethod(m_writer, [this, writer = m_writer] {
    const OpenResult result = writer->open();
    QMetaObject::invokeMethod(this, [this, result] { emit opened(result.ok, result.keptAside, result.error); });
  });
}

HistoryRecorder::~HistoryRecorder() {
  // Waits for the writes asked for earlier (they are ahead in the queue), then closes the
  // connection on the thread that opened it: quitting first could drop them.
  QMetaObject::invokeMethod(
      m_writer,
      [writer = m_writer] {
        writer->close();
        delete writer;
      },
      Qt::BlockingQueuedConnection);
  m_thread.quit();
  m_thread.wait();
}

void HistoryRecorder::record(const HistoryEntry& entry) {
  QMetaObject::invokeMethod(m_writer, [this, writer = m_writer, entry] {
    if (writer->add(entry)) {
      QMetaObject::invokeMethod(this, [this, entry] { emit recorded(entry); });
    }
  });
}

void HistoryRecorder::clear() {
  QMetaObject::invokeMethod(m_writer, [this, writer = m_writer] {
    const bool ok = writer->clear();
    QMetaObject::invokeMethod(this, [this, ok] { emit cleared(ok); });
  });
}

}  // namespace qv::history
