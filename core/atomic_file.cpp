#include "atomic_file.h"

#include <QDir>
#include <QSaveFile>

namespace qv {
namespace {

QString failure(const QString& filePath, const QString& reason) {
  return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(filePath), reason);
}

}  // namespace

QString writeFileAtomically(const QString& filePath, QByteArrayView contents) {
  QSaveFile file(filePath);
  // Unbuffered: a short write shows at the write that made it, with the system's reason, instead
  // of at a flush inside commit() that QSaveFile does not always count as a failure.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    return failure(filePath, file.errorString());
  }
  const qint64 size = contents.size();
  qint64 written = 0;
  // A write may take only part of the bytes (a full disk, a file size limit); the next one then
  // fails with the reason. Each round either moves forward or ends the loop.
  while (written < size) {
    const qint64 count = file.write(contents.data() + written, size - written);
    if (count <= 0) {
      break;
    }
    written += count;
  }
  if (written != size || !file.flush()) {
    const QString reason = file.error() != QFileDevice::NoError && !file.errorString().isEmpty()
                               ? file.errorString()
                               : QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(size);
    file.cancelWriting();
    return failure(filePath, reason);
  }
  if (!file.commit()) {
    return failure(filePath, file.errorString());
  }
  return QString();
}

}  // namespace qv
