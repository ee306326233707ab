#include "language_list.h"

#include <QDir>

namespace qv::i18n {

QStringList languageNames(const QString& folder) {
  QStringList names;
  const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
  for (const QString& file : files) {
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    const QString name = dot < 0 ? file : file.left(dot);
    if (name != QLatin1String("Russian")) {
      names.append(name);
    }
  }
  // The folder's own order means nothing to a reader of the list.
  names.sort(Qt::CaseInsensitive);
  return names;
}

}  // namespace qv::i18n
