#pragma once

#include "stage_outcome.h"

#include <QString>

#include <memory>

class QWidget;

namespace qv::ui {

class MediaPlayerPort;

//! The four global media keys (next, previous, stop, play/pause), driving the player while the
//! program is in the background. On Linux desktops they reach the player through its MPRIS2
//! service, which also carries the desktop's own media controls: registering exports the service,
//! unregistering withdraws it. On Windows they are hot keys of the main window. A registration that
//! the system refuses is ignored. GUI thread only.
class MediaKeys {
 public:
  virtual ~MediaKeys() = default;
  //! Done once registered (again: nothing more); Failed when the system offers no way to.
  virtual StageOutcome registerKeys() = 0;
  //! Withdraws the keys, whether or not they are registered.
  virtual StageOutcome unregisterKeys() = 0;
  //! Playback, the station, the title, the volume or the list changed: the desktop is told.
  virtual void playerChanged() = 0;
};

//! The platform's media keys for `player`; `window` is the main window (the hot keys' target on
//! Windows).
std::unique_ptr<MediaKeys> makeSystemMediaKeys(MediaPlayerPort& player, QWidget& window);

#ifndef Q_OS_WIN
//! The MPRIS2 service on the bus at `busAddress` (a private bus in tests).
std::unique_ptr<MediaKeys> makeMprisMediaKeys(MediaPlayerPort& player, const QString& busAddress);
#endif

}  // namespace qv::ui
