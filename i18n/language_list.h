#pragma once

#include <QString>
#include <QStringList>

namespace qv::i18n {

//! The entries of the language list: the name (without its last extension) of every file directly
//! in `folder`, sorted by name (letter case ignored); "Russian" is left out, and two files that
//! differ only in extension give two entries. A missing folder gives no entries.
QStringList languageNames(const QString& folder);

}  // namespace qv::i18n
