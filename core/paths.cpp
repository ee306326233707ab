#include "paths.h"

#include "user_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qv::paths {

QString ProgramFolder() {
  return QCoreApplication::applicationDirPath();
}

QString LanguagesFolder() {
  const QString besideProgram = ProgramFolder() + QStringLiteral("/Languages");
  const QString candidates[] = {
      besideProgram,
      QDir::cleanPath(ProgramFolder() + QStringLiteral("/../share/quorventale/Languages")),
  };
  for (const QString& folder : candidates) {
    if (QFileInfo(folder).isDir()) {
      return folder;
    }
  }
  const QString installed = QStandardPaths::locate(
      QStandardPaths::GenericDataLocation, QStringLiteral("quorventale/Languages"), QStandardPaths::LocateDirectory);
  return installed.isEmpty() ? besideProgram : installed;
}

QString languageFile(const QString& name) {
  return LanguagesFolder() + QLatin1Char('/') + name + QStringLiteral(".txt");
}

QString DataFolder() {
  return userDataHome() + QStringLiteral("/Quorventale");
}

QString CoversFolder() {
  return DataFolder() + QStringLiteral("/Covers");
}

QString TempFolder() {
  return DataFolder() + QStringLiteral("/temp");
}

QString CacheFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Quorventale");
}

QString settingsFile() {
  return userConfigHome() + QStringLiteral("/Pelworn/Quorventale.reg");
}

}  // namespace qv::paths
