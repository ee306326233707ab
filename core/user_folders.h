#pragma once

#include <QString>

// The per-user base folders of the platform (one implementation per platform in platform/).
namespace qv::paths {

//! Base for DataFolder: XDG data home on Linux, %APPDATA% on Windows.
QString userDataHome();
//! Base for the settings file: XDG config home on Linux; empty on Windows, where the registry is used.
QString userConfigHome();

}  // namespace qv::paths
