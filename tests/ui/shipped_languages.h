#pragma once
// The shipped translations in a test profile, and picking one in the settings window as the user
// does.

#include "settings.h"
#include "test_profile.h"

#include <QComboBox>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

//! The shipped translations and a language whose file is not a text file (it is listed, but has no
//! .txt to apply, so picking it gives English).
inline void addLanguages(const TestProfile& profile) {
  profile.addLanguageFiles({QStringLiteral("Klingon.ini")});
  for (const char* name : {"German.txt", "French.txt", "Spanish.txt"}) {
    QFile::copy(QStringLiteral(QV_LANGUAGES_DIR "/") + QLatin1String(name),
                profile.languagesFolder() + QLatin1Char('/') + QLatin1String(name));
  }
}

inline void pickLanguage(const QString& name) {
  QComboBox* box = SettingsForm->LangBox;
  const int index = box->findText(name);
  ASSERT_GE(index, 0) << name.toStdString();
  box->setCurrentIndex(index);
  emit box->activated(index);
}

//! The lines of a shipped language file, line 0 first.
inline QStringList shippedLanguageLines(const QString& language) {
  QFile file(QStringLiteral(QV_LANGUAGES_DIR "/") + language + QStringLiteral(".txt"));
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) {
      line.chop(1);
    }
  }
  return lines;
}
