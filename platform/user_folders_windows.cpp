#include "user_folders.h"

#include <QDir>

namespace qv::paths {

QString userDataHome() {
  return QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
}

QString userConfigHome() {
  return {};
}

}  // namespace qv::paths
