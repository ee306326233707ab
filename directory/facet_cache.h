#pragma once

#include "directory_station.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace qv::directory {

//! The facet lists (countries, languages, tags) as the directory last gave them, one file each in
//! a folder, trusted for a day. Only answers that were read whole are stored; errors never are.
class FacetCache {
 public:
  explicit FacetCache(QString folder);

  //! The stored answer of `kind` when it is younger than a day at `now`.
  std::optional<QByteArray> read(FacetKind kind, const QDateTime& now) const;
  //! Stores `answer` for `kind`; false (and logged) when it could not be written.
  bool write(FacetKind kind, const QByteArray& answer) const;

  //! `directory` in the cache folder.
  static QString defaultFolder();

 private:
  QString fileOf(FacetKind kind) const;

  const QString m_folder;
};

}  // namespace qv::directory
