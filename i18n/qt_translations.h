#pragma once

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

namespace qv::i18n {

//! The language a language file's name stands for: its English name ("German", as the shipped files
//! are named) or a locale code ("de", "pt_BR"); QLocale::C when it names none.
QLocale::Language languageNamed(const QString& name);

//! Qt's own texts (the standard buttons Yes, No, OK, Cancel; the file dialogs) in the language the
//! user chose, from the translations the system has (QLibraryInfo::TranslationsPath). Holds at most
//! one translator, installed in the application while it is held. GUI thread only.
class QtTranslations {
 public:
  QtTranslations();
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  //! Replaces the installed translation by the one for `languageName` (see languageNamed). False
  //! when the system has none for it (or it names no language): Qt's texts are then English.
  bool apply(const QString& languageName);
  //! The folder the translations are read from.
  static QString folder();

 private:
  void remove();

  std::unique_ptr<QTranslator> m_translator;
};

}  // namespace qv::i18n
