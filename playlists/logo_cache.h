#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>

//! The station logo cache: one file per station name and logo address in CoversFolder.
namespace qv::playlists {

//! The longest path the platform opens, and the longest single name in a folder.
#ifdef _WIN32
inline constexpr qsizetype kMaxPathChars = 259;
#else
inline constexpr qsizetype kMaxPathChars = 4095;
#endif
inline constexpr qsizetype kMaxFileNameBytes = 255;

//! StationLogoFile: `coversFolder` + "/" + the cleaned name + "—" + the cleaned tail of the logo
//! address. Cleaning drops : \ / | * ? < > " and control characters; the tail is the address's
//! last segment without its query string or fragment. The name (then the tail's start) is cut so
//! that the file name and the whole path stay within the platform's limits. Play and the editor
//! both use this, so they find the same file. Empty when `preview` is empty.
QString StationLogoFile(const QString& coversFolder, const QString& name, const QString& preview);

struct LogoDownload {
  QByteArray body;
  //! Empty when a body arrived (whatever the HTTP status); otherwise why none did.
  QString error;
};

//! GETs `url` (http or https only, also after redirects) through `proxy` ("(user:pass@)server:port",
//! empty: direct): connecting at most 5 s, the whole transfer at most 15 s, at most 16 MiB. `abort`
//! ends it within a fraction of a second. Blocks: never call it on the GUI thread.
LogoDownload downloadLogo(const QString& url, const QString& proxy, const std::atomic<bool>& abort);

//! Writes `body` to `path` through a temporary file, creating the folders; empty string on success,
//! otherwise the path and the reason.
QString storeLogo(const QString& path, const QByteArray& body);

//! Decodes a logo by its content (PNG, JPEG and what the image plugins read) under an allocation
//! limit; a null image when it cannot be decoded.
QImage loadLogo(const QString& path);

//! Runs logo downloads on its own threads and reports each on the thread it was created on.
//! Destroying it ends the transfers still running and waits for them.
class LogoFetcher : public QObject {
  Q_OBJECT

 public:
  explicit LogoFetcher(QObject* parent = nullptr);
  ~LogoFetcher() override;

  //! The proxy setting for the downloads asked for from now on; empty: direct.
  void setProxy(const QString& proxy) { m_proxy = proxy; }
  //! Downloads `url` into `path`; `done` gets an empty string, or the error, on this object's thread.
  void fetch(const QString& url, const QString& path, std::function<void(const QString& error)> done);
  //! Waits until every fetch has been reported (tests).
  void waitForDone();

 private:
  QThreadPool m_pool;
  std::atomic<bool> m_abort{false};
  QString m_proxy;  // this object's thread
};

}  // namespace qv::playlists
