#include "click_memory.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcDirectoryClicks, "qv.directory.clicks", QtInfoMsg)

namespace qv::directory {
namespace {

constexpr qint64 kDaySecs = 24 * 60 * 60;
constexpr qint64 kMaxFileBytes = 4 << 20;

}  // namespace

QString ClickMemory::defaultFile() {
  return paths::CacheFolder() + QStringLiteral("/directory-clicks.txt");
}

ClickMemory::ClickMemory(QString filePath) : m_filePath(std::move(filePath)) {
  QFile file(m_filePath);
  if (file.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly)) {
    return;
  }
  // One "uuid<TAB>seconds" a line; anything else is skipped.
  while (!file.atEnd()) {
    const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
    bool ok = false;
    const qint64 secs = fields.size() == 2 ? fields[1].toLongLong(&ok) : 0;
    if (ok && !fields[0].isEmpty()) {
      m_lastClickSecs.insert(QString::fromUtf8(fields[0]), secs);
    }
  }
}

bool ClickMemory::claim(const QString& uuid, const QDateTime& now) {
  if (uuid.isEmpty()) {
    return false;
  }
  std::lock_guard lock(m_mutex);
  const qint64 nowSecs = now.toSecsSinceEpoch();
  const auto last = m_lastClickSecs.constFind(uuid);
  if (last != m_lastClickSecs.constEnd() && nowSecs - *last < kDaySecs && nowSecs >= *last) {
    return false;
  }
  m_lastClickSecs.insert(uuid, nowSecs);
  write(now);
  return true;
}

void ClickMemory::write(const QDateTime& now) {
  QByteArray text;
  for (auto it = m_lastClickSecs.begin(); it != m_lastClickSecs.end();) {
    if (now.toSecsSinceEpoch() - it.value() >= kDaySecs) {
      it = m_lastClickSecs.erase(it);  // a day old: nothing to remember any more
      continue;
    }
    text += it.key().toUtf8() + '\t' + QByteArray::number(it.value()) + '\n';
    ++it;
  }
  QDir().mkpath(QFileInfo(m_filePath).absolutePath());
  QSaveFile file(m_filePath);
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    qCInfo(lcDirectoryClicks).noquote() << "cannot write" << m_filePath << ":" << file.errorString();
  }
}

}  // namespace qv::directory
