#include "instance_socket.h"

#include <QDir>
#include <QFileInfo>

namespace qv::app {

QString localSocketName(const QString& shortName) {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
    return QDir::cleanPath(runtime) + QLatin1Char('/') + shortName;
  }
  return shortName;
}

}  // namespace qv::app
