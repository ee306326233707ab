#pragma once

class QMenu;
class QWidget;

namespace qv::playback {
class SleepTimerControl;
}

namespace qv::ui {

//! Adds the sleep timer's submenu to `menu`: 15, 30, 45, 60 and 90 minutes, a time typed in, and
//! "Off". Its caption shows the time left while the timer runs. The playlist menu, the tray menu and
//! the popup's menu each call this with the same control. Returns the submenu.
QMenu* addSleepTimerMenu(QMenu* menu, qv::playback::SleepTimerControl& control, QWidget* dialogParent);

//! Puts the current interface texts on a submenu made by addSleepTimerMenu (after a language change).
void applySleepTimerMenuTexts(QMenu* submenu, const qv::playback::SleepTimerControl& control);

}  // namespace qv::ui
