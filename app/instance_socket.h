#pragma once

#include <QString>

namespace qv::app {

//! The full name of the local socket `shortName` for QLocalServer and QLocalSocket: on Linux a
//! path in the user's runtime folder (private to the user) when there is one, else the short name
//! (Qt's temporary folder); on Windows the short name (a named pipe).
QString localSocketName(const QString& shortName);

}  // namespace qv::app
