#include "unreadable_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv {

QString keepUnreadableFileAside(const QString& filePath) {
  const QFileInfo info(filePath);
  const QString stem = info.completeBaseName() + QStringLiteral(".unreadable-") +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
  constexpr int kAttempts = 100;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    const QString candidate =
        info.dir().filePath(attempt == 1 ? stem + suffix : stem + QLatin1Char('-') + QString::number(attempt) + suffix);
    if (QFileInfo::exists(candidate)) {
      continue;
    }
    return QFile::rename(filePath, candidate) ? candidate : QString();
  }
  return QString();
}

void restoreFileKeptAside(const QString& aside, const QString& filePath) {
  QFile::rename(aside, filePath);
}

}  // namespace qv
