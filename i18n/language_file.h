#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace qv::i18n {

//! A language file holds line 0 (a free title) and lines 1 to 71; shorter files are not used.
inline constexpr int kLanguageFileMinLines = 72;

//! Splits UTF-8 text into lines: a leading byte-order mark is skipped, lines end at CR LF, a lone CR
//! or a lone LF, and a break at the very end adds no empty line. Empty when the bytes are not valid
//! UTF-8.
std::optional<QStringList> splitLanguageLines(const QByteArray& bytes);

//! The lines of the language file `path` when it can be used: readable, valid UTF-8 and at least
//! 72 lines. Otherwise empty, and a file that exists but cannot be used is named once in the log.
std::optional<QStringList> readLanguageFile(const QString& path);

}  // namespace qv::i18n
