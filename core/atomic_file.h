#pragma once

#include <QByteArrayView>
#include <QString>

namespace qv {

//! Writes `contents` as the whole new content of `filePath`: into a temporary file in the same
//! folder, which replaces the old file only once every byte was written, flushed and closed. On
//! any failure the temporary file is removed and the old file (or its absence) is left exactly as
//! it was. Returns an empty string on success, otherwise "<path> cannot be written: <reason>".
//! Every file the program writes goes through here.
QString writeFileAtomically(const QString& filePath, QByteArrayView contents);

}  // namespace qv
