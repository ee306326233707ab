#include "mpris_service.h"

#include "desktop_bus.h"
#include "lifecycle_log.h"
#include "version.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace qv::ui {

const QString MprisService::kServiceName = QStringLiteral("org.mpris.MediaPlayer2.quorventale");
const QString MprisService::kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString statusText(MediaStatus status) {
  return status == MediaStatus::Playing ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

QDBusMessage busCall(const QString& method, const QVariantList& arguments) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                     QStringLiteral("org.freedesktop.DBus"), method);
  call.setArguments(arguments);
  return call;
}

// org.mpris.MediaPlayer2: who we are, and the window.
class RootAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ canQuit)
  Q_PROPERTY(bool CanRaise READ canRaise)
  Q_PROPERTY(bool CanSetFullscreen READ canSetFullscreen)
  Q_PROPERTY(bool Fullscreen READ fullscreen)
  Q_PROPERTY(bool HasTrackList READ hasTrackList)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

 public:
  explicit RootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), m_service(*service) {}

  bool canQuit() const { return true; }
  bool canRaise() const { return true; }
  bool canSetFullscreen() const { return false; }
  bool fullscreen() const { return false; }
  bool hasTrackList() const { return false; }
  QString identity() const { return QStringLiteral("Quorventale"); }
  QString desktopEntry() const { return QLatin1String(kApplicationId); }
  QStringList supportedUriSchemes() const { return {}; }
  QStringList supportedMimeTypes() const { return {}; }

 public slots:
  void Raise() { m_service.player().raise(); }
  void Quit() { m_service.player().quit(); }

 private:
  MprisService& m_service;
};

// org.mpris.MediaPlayer2.Player: the transport, what plays, the volume. A radio stream has no
// position, so seeking is refused and Pause stops.
class PlayerAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(double Rate READ rate WRITE setRate)
  Q_PROPERTY(double MinimumRate READ rate)
  Q_PROPERTY(double MaximumRate READ rate)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(double Volume READ volume WRITE setVolume)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(bool CanGoNext READ canGoNext)
  Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
  Q_PROPERTY(bool CanPlay READ canPlay)
  Q_PROPERTY(bool CanPause READ canPause)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ canControl)

 public:
  explicit PlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), m_service(*service) {}

  QString playbackStatus() const { return statusText(player().status()); }
  double rate() const { return 1.0; }
  void setRate(double) {}
  QVariantMap metadata() const { return m_service.metadata(); }
  double volume() const { return player().volume() / 100.0; }
  void setVolume(double volume) {
    if (std::isfinite(volume)) {
      player().setVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
      m_service.refresh();
    }
  }
  qlonglong position() const { return 0; }
  bool canGoNext() const { return player().canGoNext(); }
  bool canGoPrevious() const { return player().canGoPrevious(); }
  bool canPlay() const { return player().canPlay(); }
  bool canPause() const { return player().status() == MediaStatus::Playing; }
  bool canSeek() const { return false; }
  bool canControl() const { return true; }

 public slots:
  void Next() { player().next(); }
  void Previous() { player().previous(); }
  void PlayPause() { player().playStop(); }
  void Stop() { player().stop(); }
  void Pause() { player().stop(); }
  void Play() {
    if (player().status() == MediaStatus::Stopped) {
      player().playStop();
    }
  }
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString&) {}

 signals:
  void Seeked(qlonglong position);

 private:
  MediaPlayerPort& player() const { return m_service.player(); }
  MprisService& m_service;
};

}  // namespace

MprisService::MprisService(MediaPlayerPort& player, QDBusConnection bus) : m_player(player), m_bus(std::move(bus)) {
  new RootAdaptor(this);
  new PlayerAdaptor(this);
}

MprisService::~MprisService() {
  withdraw();
}

bool MprisService::exportOnBus() {
  if (m_exported) {
    return true;
  }
  if (!m_bus.isConnected()) {
    qCInfo(lcLifecycle) << "media keys: no session bus, so the desktop cannot reach the player";
    return false;
  }
  if (!m_bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) {
    qCWarning(lcLifecycle) << "media keys: the player cannot be exported on the session bus";
    return false;
  }
  m_exported = true;
  m_published = read();
  // DO_NOT_QUEUE: a name another program holds stays its own; ours is then simply not reachable.
  auto* pending = new QDBusPendingCallWatcher(
      m_bus.asyncCall(busCall(QStringLiteral("RequestName"), {kServiceName, 4U}), kDesktopCallTimeoutMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError() || reply.value() != 1U) {
      qCInfo(lcLifecycle) << "media keys: the bus name" << kServiceName << "is not ours"
                          << (reply.isError() ? reply.error().message() : QString());
    }
  });
  return true;
}

void MprisService::withdraw() {
  if (!std::exchange(m_exported, false)) {
    return;
  }
  m_bus.send(busCall(QStringLiteral("ReleaseName"), {kServiceName}));
  m_bus.unregisterObject(kObjectPath);
}

MprisService::Published MprisService::read() const {
  return {m_player.status(),    m_player.track(),         m_player.volume(),
          m_player.canGoNext(), m_player.canGoPrevious(), m_player.canPlay()};
}

QVariantMap MprisService::metadata() const {
  const MediaTrack track = m_player.track();
  QVariantMap metadata;
  if (track.stationSerial == 0) {
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
    return metadata;
  }
  metadata.insert(QStringLiteral("mpris:trackid"),
                  QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/quorventale/Station/") +
                                                      QString::number(track.stationSerial))));
  if (!track.title.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:title"), track.title);
  }
  if (!track.artist.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:artist"), QStringList{track.artist});
  }
  if (!track.album.isEmpty()) {
    metadata.insert(QStringLiteral("xesam:album"), track.album);
  }
  if (!track.artPath.isEmpty()) {
    metadata.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(track.artPath).toString());
  }
  return metadata;
}

void MprisService::refresh() {
  const Published now = read();
  if (!m_exported || now == m_published) {
    m_published = now;
    return;
  }
  QVariantMap changed;
  if (now.status != m_published.status) {
    changed.insert(QStringLiteral("PlaybackStatus"), statusText(now.status));
    changed.insert(QStringLiteral("CanPause"), now.status == MediaStatus::Playing);
  }
  if (now.track != m_published.track) {
    changed.insert(QStringLiteral("Metadata"), metadata());
  }
  if (now.volume != m_published.volume) {
    changed.insert(QStringLiteral("Volume"), now.volume / 100.0);
  }
  if (now.canGoNext != m_published.canGoNext) {
    changed.insert(QStringLiteral("CanGoNext"), now.canGoNext);
  }
  if (now.canGoPrevious != m_published.canGoPrevious) {
    changed.insert(QStringLiteral("CanGoPrevious"), now.canGoPrevious);
  }
  if (now.canPlay != m_published.canPlay) {
    changed.insert(QStringLiteral("CanPlay"), now.canPlay);
  }
  m_published = now;
  QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                   QStringLiteral("PropertiesChanged"));
  signal << kPlayerInterface << changed << QStringList();
  m_bus.send(signal);
}

}  // namespace qv::ui

#include "mpris_service.moc"
