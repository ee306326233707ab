#include "logo_cache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>
#include <QSaveFile>

#include <curl/curl.h>

#include <memory>

namespace qv::playlists {
namespace {

constexpr long kConnectTimeoutMs = 5000;
constexpr long kTransferTimeoutMs = 15000;
constexpr qsizetype kMaxLogoBytes = qsizetype{16} << 20;
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

struct CurlCloser {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct Transfer {
  LogoDownload* result;
  const std::atomic<bool>* abort;
  bool tooLarge = false;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const auto length = static_cast<qsizetype>(size * count);
  if (transfer->result->body.size() + length > kMaxLogoBytes) {
    transfer->tooLarge = true;
    return 0;
  }
  transfer->result->body.append(data, length);
  return size * count;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->abort->load() ? 1 : 0;
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

LogoDownload downloadLogo(const QString& url, const std::atomic<bool>& abort) {
  LogoDownload result;
  const std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
  if (!curl) {
    result.error = QStringLiteral("the download cannot be started");
    return result;
  }
  Transfer transfer{&result, &abort};
  const QByteArray address = url.trimmed().toUtf8();
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, address.constData());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "Quorventale");
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, kTransferTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxLogoBytes));
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &onBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &onProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
  const CURLcode code = curl_easy_perform(handle);
  if (transfer.tooLarge) {
    result.error = QStringLiteral("the image is larger than %1 MiB").arg(kMaxLogoBytes >> 20);
  } else if (code != CURLE_OK) {
    result.error = QString::fromUtf8(curl_easy_strerror(code));
  }
  if (!result.error.isEmpty()) {
    result.body.clear();
  }
  return result;
}

QString storeLogo(const QString& path, const QByteArray& body) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(body) < 0 || !file.commit()) {
    return file.errorString();
  }
  return QString();
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
  m_pool.start([this, self, url, path, done = std::move(done)] {
    const LogoDownload download = downloadLogo(url, m_abort);
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
