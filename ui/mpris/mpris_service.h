#pragma once

#include "media_player_port.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

namespace qv::ui {

//! The player as an MPRIS2 service on a session bus: `org.mpris.MediaPlayer2.quorventale` with the
//! object /org/mpris/MediaPlayer2 (the root and the Player interface). Desktops route the media
//! keys and their own media controls to it. Exporting never waits for the bus: the name is asked
//! for and given back asynchronously, and a name that another program holds is simply not ours.
//! GUI thread only.
class MprisService : public QObject {
  Q_OBJECT

 public:
  MprisService(MediaPlayerPort& player, QDBusConnection bus);
  ~MprisService() override;

  static const QString kServiceName;
  static const QString kObjectPath;

  //! Exports the object and asks for the name; false when there is no bus or the object cannot
  //! be exported there.
  bool exportOnBus();
  //! Gives the name back and withdraws the object; nothing when it is not exported.
  void withdraw();
  bool isExported() const { return m_exported; }

  //! Reads the player again and announces what changed (PropertiesChanged); call it after every
  //! change of playback, title, station, volume or list.
  void refresh();

  MediaPlayerPort& player() const { return m_player; }
  //! The Player interface's current Metadata.
  QVariantMap metadata() const;

 private:
  struct Published {
    MediaStatus status = MediaStatus::Stopped;
    MediaTrack track;
    int volume = -1;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;

    friend bool operator==(const Published&, const Published&) = default;
  };
  Published read() const;

  MediaPlayerPort& m_player;
  QDBusConnection m_bus;
  bool m_exported = false;
  Published m_published;
};

}  // namespace qv::ui
