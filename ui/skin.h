#pragma once

#include "stage_outcome.h"

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>

#include <array>

namespace qv::ui {

//! The 38 skin images by resource name. The suffix gives the look: `_1` highlighted (white), `_2`
//! normal (light grey with a dark outline), `_3` dimmed (flat grey: unavailable).
inline constexpr std::array<const char*, 38> kSkinImageNames = {
    "PngClose_1", "PngClose_2", "PngHide_1",     "PngHide_2",     "PngMin_1",        "PngMin_2",      "PngTop_1",
    "PngTop_2",   "PngUntop_1", "PngUntop_2",    "PngPlay_1",     "PngPlay_2",       "PngPlay_3",     "PngStop_1",
    "PngStop_2",  "PngStop_3",  "PngPrevious_1", "PngPrevious_2", "PngPrevious_3",   "PngNext_1",     "PngNext_2",
    "PngNext_3",  "PngMenu_1",  "PngMenu_2",     "PngMenu_3",     "PngStationLogo4", "PngVolume_1",   "PngVolume_2",
    "PngEQ_1",    "PngEQ_2",    "PngEQ_3",       "PngSettings_1", "PngSettings_2",   "PngSettings_3", "PngSound_1",
    "PngSound_2", "PngSD_1",    "PngSD_2"};

//! The skin images of the main window (and of the popup player, which shows the same transport
//! images). Loaded once by name at start-up, released when the main window closes. GUI thread only.
class Skin {
 public:
  //! Loads every image at the sharpest scale the screens need (2x when any screen is HiDPI).
  //! Failed when an image is missing from the resources; the others are loaded all the same.
  StageOutcome load();
  //! Frees the images; buttons then draw nothing.
  void release();
  bool isLoaded() const { return !m_images.isEmpty(); }

  //! The image of that name; a null pixmap when it is unknown or the skin is not loaded.
  QPixmap image(const QString& name) const { return m_images.value(name); }

 private:
  QHash<QString, QPixmap> m_images;
};

//! A small icon of the resources ("PlayIcon", "StopIcon", "SoundIcon", "MenuChevron"), 16 x 16 with
//! its 2x form.
QIcon resourceIcon(const QString& name);

//! The application icon: 16, 32 and 48 pixels, each with its 2x form (the scalable drawing is
//! ":/quorventale.svg").
QIcon applicationIcon();

}  // namespace qv::ui
