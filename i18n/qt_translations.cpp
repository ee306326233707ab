#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qv::i18n {

QLocale::Language languageNamed(const QString& name) {
  if (name.isEmpty()) {
    return QLocale::C;
  }
  for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
    const auto language = static_cast<QLocale::Language>(value);
    if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) == 0) {
      return language;
    }
  }
  return QLocale(name).language();
}

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations() {
  remove();
}

QString QtTranslations::folder() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtTranslations::apply(const QString& languageName) {
  remove();
  const QLocale::Language language = languageNamed(languageName);
  if (language == QLocale::C) {
    return false;
  }
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"), folder())) {
    return false;
  }
  QCoreApplication::installTranslator(translator.get());
  m_translator = std::move(translator);
  return true;
}

void QtTranslations::remove() {
  if (m_translator) {
    QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
  }
}

}  // namespace qv::i18n
