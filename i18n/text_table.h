#pragma once

#include "interface_texts.h"

#include <QString>
#include <QStringList>

#include <array>

namespace qv::i18n {

//! The current text of every line 1..71 as the last language switch left it: the built-in English,
//! or the lines of a language file. The captions, hints and dialog filters that no field holds are
//! taken from here whenever they are (re)applied. GUI thread only.
class TextTable {
 public:
  TextTable();

  //! The text of `line` (1..71); empty outside that range.
  QString text(int line) const;

  //! Every line and every holder back to the built-in text, then lines 1 to 71 of the language
  //! file `languageFile` when it can be used (lines 41 and 66 both feed `l_cancel`, 66 last). True
  //! when the file was applied; otherwise English stays, whole.
  bool load(const QString& languageFile, MainFormTexts& held);

 private:
  void applyBuiltIn(MainFormTexts& held);

  std::array<QString, kInterfaceTextCount> m_lines;
};

//! The open dialog's six filters in the toolkit's form ("Name (*.a *.b)"): lines 55 and 56, a fixed
//! "ShoutCast, Icecast" for PLS and INI that no language changes, then lines 57 to 59.
QStringList openDialogFilters(const TextTable& texts);
//! The save dialog's two filters: lines 60 (INI) and 61 (PLS).
QStringList saveDialogFilters(const TextTable& texts);

}  // namespace qv::i18n
