#pragma once

namespace qv::ui {

//! Whether a window can be shown at all: on Linux a display server is named (DISPLAY or
//! WAYLAND_DISPLAY) or a platform plugin was chosen explicitly (QT_QPA_PLATFORM).
bool displayAvailable();

//! Display options that must be set before the application object exists (see the platform files).
void chooseDisplayOptions();

}  // namespace qv::ui
