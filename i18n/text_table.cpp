#include "text_table.h"

#include "directory_texts.h"
#include "listening_texts.h"

#include "language_file.h"

namespace qv::i18n {
namespace {

QString filter(const QString& name, const char* patterns) {
  return name + QStringLiteral(" (") + QString::fromLatin1(patterns) + QLatin1Char(')');
}

}  // namespace

TextTable::TextTable() {
  for (int line = 1; line <= kInterfaceTextCount; ++line) {
    m_lines[static_cast<std::size_t>(line - 1)] = builtInText(line);
  }
}

QString TextTable::text(int line) const {
  if (line < 1 || line > kInterfaceTextCount) {
    return {};
  }
  return m_lines[static_cast<std::size_t>(line - 1)];
}

void TextTable::applyBuiltIn(MainFormTexts& held) {
  *this = TextTable();
  applyBuiltInTexts(held);
}

bool TextTable::load(const QString& languageFile, MainFormTexts& held) {
  applyBuiltIn(held);
  // Read whole and closed before any text changes, so a bad file changes nothing.
  const std::optional<QStringList> lines = readLanguageFile(languageFile);
  if (!lines) {
    return false;
  }
  for (const InterfaceText& entry : interfaceTexts()) {
    const QString& value = (*lines)[entry.line];
    m_lines[static_cast<std::size_t>(entry.line - 1)] = value;
    if (entry.field) {
      held.*entry.field = value;
    } else if (entry.global) {
      *entry.global = value;
    }
  }
  // From line 72 on: reconnection, the sleep timer, the history (and from 132 the title-bar hints). A file that stops
  // before one of them (or leaves it empty) keeps its built-in English.
  for (const ListeningText& entry : listeningTexts()) {
    if (entry.line < lines->size() && !(*lines)[entry.line].isEmpty()) {
      *entry.global = (*lines)[entry.line];
    }
  }
  // From line 88 on: the station directory and the check, with the same fallback.
  for (const DirectoryText& entry : directoryTexts()) {
    if (entry.line < lines->size() && !(*lines)[entry.line].isEmpty()) {
      *entry.global = (*lines)[entry.line];
    }
  }
  return true;
}

QStringList openDialogFilters(const TextTable& texts) {
  return {
      filter(texts.text(55), "*.m3u *.m3u8 *.pls *.ini *.xspf *.xml *.txt *.zip"),
      filter(texts.text(56), "*.m3u *.m3u8 *.txt"),
      filter(QStringLiteral("ShoutCast, Icecast"), "*.pls *.ini"),
      filter(texts.text(57), "*.xspf *.xml"),
      filter(texts.text(58), "*.zip"),
      filter(texts.text(59), "*"),
  };
}

QStringList saveDialogFilters(const TextTable& texts) {
  return {filter(texts.text(60), "*.ini"), filter(texts.text(61), "*.pls")};
}

}  // namespace qv::i18n
