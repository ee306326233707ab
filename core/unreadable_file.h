#pragma once

#include <QString>

namespace qv {

//! Renames a file that could not be read out of the way, so that writing a fresh one never
//! destroys what it held: `name.ext` becomes `name.unreadable-<yyyyMMdd-HHmmss>.ext` in the same
//! folder (with `-2`, `-3`, ... when that name is taken). Returns the new path, or an empty
//! string when the file could not be renamed.
QString keepUnreadableFileAside(const QString& filePath);

//! Puts a file that keepUnreadableFileAside() moved back at `filePath`, when the fresh file meant
//! to take its place could not be written.
void restoreFileKeptAside(const QString& aside, const QString& filePath);

}  // namespace qv
