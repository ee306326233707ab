#include "facet_cache.h"

#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcDirectoryCache, "qv.directory.cache", QtInfoMsg)

namespace qv::directory {
namespace {

constexpr qint64 kMaxAgeSecs = 24 * 60 * 60;
constexpr qint64 kMaxFileBytes = qint64{16} << 20;

}  // namespace

FacetCache::FacetCache(QString folder) : m_folder(std::move(folder)) {}

QString FacetCache::defaultFolder() {
  return paths::CacheFolder() + QStringLiteral("/directory");
}

QString FacetCache::fileOf(FacetKind kind) const {
  switch (kind) {
    case FacetKind::Countries:
      return m_folder + QStringLiteral("/countries.json");
    case FacetKind::Languages:
      return m_folder + QStringLiteral("/languages.json");
    case FacetKind::Tags:
      break;
  }
  return m_folder + QStringLiteral("/tags.json");
}

std::optional<QByteArray> FacetCache::read(FacetKind kind, const QDateTime& now) const {
  QFile file(fileOf(kind));
  const QFileInfo info(file);
  if (!info.isFile() || info.size() > kMaxFileBytes) {
    return std::nullopt;
  }
  const qint64 ageSecs = info.lastModified().secsTo(now);
  if (ageSecs < 0 || ageSecs >= kMaxAgeSecs || !file.open(QIODevice::ReadOnly)) {
    return std::nullopt;
  }
  return file.readAll();
}

bool FacetCache::write(FacetKind kind, const QByteArray& answer) const {
  QDir().mkpath(m_folder);
  QSaveFile file(fileOf(kind));
  if (!file.open(QIODevice::WriteOnly) || file.write(answer) != answer.size() || !file.commit()) {
    qCInfo(lcDirectoryCache).noquote() << "cannot write" << file.fileName() << ":" << file.errorString();
    return false;
  }
  return true;
}

}  // namespace qv::directory
