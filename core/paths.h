#pragma once

#include <QString>

//! The program's folders. Every function reads the environment when called, so nothing is cached
//! and a changed HOME or XDG variable takes effect at once.
namespace qv::paths {

//! Folder of the running program file.
QString ProgramFolder();

//! Folder the language files are read from: `Languages` beside the program file, then the
//! installed share folder (`../share/quorventale/Languages`), then `quorventale/Languages` in the
//! user's and the system's data folders. The first that exists is used; when none does, the one
//! beside the program file is named (listing it gives no languages).
QString LanguagesFolder();

//! The language file applied for the language `name`.
QString languageFile(const QString& name);

//! The per-user data folder: `Quorventale` in the user's application data folder.
QString DataFolder();
//! Station logo cache.
QString CoversFolder();
//! Scratch space, e.g. for unpacked archives.
QString TempFolder();
//! Data that may be thrown away and fetched again (the station directory's lists): `Quorventale`
//! in the user's cache folder.
QString CacheFolder();

//! The file the settings live in where there is no registry.
QString settingsFile();

}  // namespace qv::paths
