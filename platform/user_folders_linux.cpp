#include "user_folders.h"

#include <QDir>

// The XDG base directories: a variable that is unset, empty or relative is ignored.
namespace qv::paths {
namespace {

QString xdgFolder(const char* variable, const char* fallbackBelowHome) {
  const QString value = qEnvironmentVariable(variable);
  if (!value.isEmpty() && QDir::isAbsolutePath(value)) {
    return QDir::cleanPath(value);
  }
  return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}

}  // namespace

QString userDataHome() {
  return xdgFolder("XDG_DATA_HOME", ".local/share");
}

QString userConfigHome() {
  return xdgFolder("XDG_CONFIG_HOME", ".config");
}

}  // namespace qv::paths
