#pragma once

#include <QString>

#include <cstdint>

namespace qv::ui {

//! What the desktop's media controls see of playback. A radio stream cannot pause: it plays (also
//! while it connects or buffers) or it is stopped.
enum class MediaStatus : std::uint8_t { Stopped, Playing };

//! The title now playing, split for the desktop's media controls.
struct MediaTrack {
  QString title;    // the title report; the station's Name until the first title arrives
  QString artist;   // from a title of the form "artist - title"; empty otherwise
  QString album;    // the station's Name
  QString artPath;  // the cached logo file; empty when there is none
  //! Changes whenever another station is asked for, so the desktop sees a new track.
  quint64 stationSerial = 0;

  friend bool operator==(const MediaTrack&, const MediaTrack&) = default;
};

//! Splits a stream title "Artist - Title" at its first " - "; a title without one (or with an
//! empty side) keeps the whole text as the title and no artist.
MediaTrack splitStreamTitle(const QString& streamTitle);

//! The player as the media keys and the desktop's media controls drive it. Every operation goes to
//! the same actions the window's buttons use. GUI thread only.
class MediaPlayerPort {
 public:
  virtual ~MediaPlayerPort() = default;

  virtual void next() = 0;
  virtual void previous() = 0;
  //! The play/stop toggle.
  virtual void playStop() = 0;
  //! The media Stop key (and Pause): stops whatever is connecting, buffering or playing; nothing
  //! otherwise.
  virtual void stop() = 0;
  //! Brings the main window back, in front.
  virtual void raise() = 0;
  //! Closes the main window, which ends the program.
  virtual void quit() = 0;
  //! 0..100, as the volume control holds it.
  virtual void setVolume(int percent) = 0;

  virtual MediaStatus status() const = 0;
  virtual MediaTrack track() const = 0;
  virtual int volume() const = 0;
  virtual bool canGoNext() const = 0;
  virtual bool canGoPrevious() const = 0;
  //! There is a station to play.
  virtual bool canPlay() const = 0;

 protected:
  MediaPlayerPort() = default;
  MediaPlayerPort(const MediaPlayerPort&) = default;
  MediaPlayerPort& operator=(const MediaPlayerPort&) = default;
};

}  // namespace qv::ui
