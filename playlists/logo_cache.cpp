#include "logo_cache.h"

#include "atomic_file.h"
#include "http_get.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>

#include <chrono>
#include <utility>

namespace qv::playlists {
namespace {

constexpr std::chrono::milliseconds kConnectTimeout{5000};
constexpr std::chrono::milliseconds kTransferTimeout{15000};
constexpr std::size_t kMaxLogoBytes = std::size_t{16} << 20;
constexpr int kImageAllocationLimitMiB = 128;

QString cleaned(QStringView text) {
  static const QString refused = QStringLiteral(":\\/|*?<>\"");
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c.unicode() >= 0x20 && c.unicode() != 0x7F && !refused.contains(c)) {
      out += c;
    }
  }
  return out;
}

// Cuts at a character boundary, never between the halves of a surrogate pair.
QString firstChars(const QString& text, qsizetype count) {
  if (count <= 0) {
    return QString();
  }
  if (count < text.size() && text[count].isLowSurrogate()) {
    --count;
  }
  return text.first(std::min(count, text.size()));
}

QString lastChars(const QString& text, qsizetype count) {
  if (count <= 0) {
    return QString();
  }
  qsizetype from = std::max<qsizetype>(0, text.size() - count);
  if (from > 0 && text[from].isLowSurrogate()) {
    ++from;
  }
  return text.sliced(from);
}

bool fits(const QString& folder, const QString& fileName) {
#ifdef _WIN32
  const bool nameFits = fileName.size() <= kMaxFileNameBytes;
#else
  const bool nameFits = fileName.toUtf8().size() <= kMaxFileNameBytes;
#endif
  return nameFits && folder.size() + 1 + fileName.size() <= kMaxPathChars;
}

}  // namespace

QString StationLogoFile(const QString& coversFolder, const QString& name, const QString& preview) {
  if (preview.isEmpty()) {
    return QString();
  }
  QStringView address = preview;
  for (const QChar end : {QLatin1Char('#'), QLatin1Char('?')}) {
    if (const qsizetype at = address.indexOf(end); at >= 0) {
      address = address.first(at);
    }
  }
  QString tail = cleaned(address.sliced(address.lastIndexOf(QLatin1Char('/')) + 1));
  QString cleanName = cleaned(name);
  const QString dash = QString(QChar(0x2014));
  // The name gives way first; the tail keeps its end, which holds the extension.
  while (!fits(coversFolder, cleanName + dash + tail) && !cleanName.isEmpty()) {
    cleanName = firstChars(cleanName, cleanName.size() - 1);
  }
  while (!fits(coversFolder, cleanName + dash + tail) && !tail.isEmpty()) {
    tail = lastChars(tail, tail.size() - 1);
  }
  return coversFolder + QLatin1Char('/') + cleanName + dash + tail;
}

LogoDownload downloadLogo(const QString& url, const QString& proxy, const std::atomic<bool>& abort) {
  HttpGetOptions options;
  options.proxy = proxy;
  options.connectTimeout = kConnectTimeout;
  options.totalTimeout = kTransferTimeout;
  options.maxBodyBytes = kMaxLogoBytes;
  options.plainHttpAllowed = true;
  options.maxRedirects = 10;
  HttpAnswer answer = httpGet(url.trimmed().toUtf8(), options, abort);
  LogoDownload result;
  if (answer.tooLarge) {
    result.error = QStringLiteral("the image is larger than %1 MiB").arg(kMaxLogoBytes >> 20);
  } else {
    result.error = answer.error;
    result.body = std::move(answer.body);
  }
  return result;
}

QString storeLogo(const QString& path, const QByteArray& body) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  return writeFileAtomically(path, body);
}

QImage loadLogo(const QString& path) {
  QImageReader::setAllocationLimit(kImageAllocationLimitMiB);
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  return reader.read();
}

LogoFetcher::LogoFetcher(QObject* parent) : QObject(parent) {
  m_pool.setMaxThreadCount(2);
}

LogoFetcher::~LogoFetcher() {
  m_abort = true;
  m_pool.waitForDone();
}

void LogoFetcher::fetch(const QString& url, const QString& path, std::function<void(const QString& error)> done) {
  const QPointer<LogoFetcher> self(this);
  m_pool.start([this, self, url, path, proxy = m_proxy, done = std::move(done)] {
    const LogoDownload download = downloadLogo(url, proxy, m_abort);
    const QString error = download.error.isEmpty() ? storeLogo(path, download.body) : download.error;
    // The pool is waited for before this object goes, so `this` outlives the call.
    QMetaObject::invokeMethod(
        this,
        [self, done, error] {
          if (self) {
            done(error);
          }
        },
        Qt::QueuedConnection);
  });
}

void LogoFetcher::waitForDone() {
  m_pool.waitForDone();
  QCoreApplication::sendPostedEvents(this);
}

}  // namespace qv::playlists
