#include "language_list.h"
#include "qt_translations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(LanguageList, NamesEveryFileWithoutItsLastExtensionExceptRussianSortedByName) {
  QTemporaryDir folder;
  for (const char* name : {"Spanish.txt", "German.txt", "Russian.txt", "russian.txt", "English.txt", "German.bak",
                           "Plain", "pt.BR.txt", "French.txt"}) {
    QFile(folder.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
  }
  QDir(folder.path()).mkdir(QStringLiteral("Sub.txt"));

  EXPECT_EQ(qv::i18n::languageNames(folder.path()),
            (QStringList{QStringLiteral("English"), QStringLiteral("French"), QStringLiteral("German"),
                         QStringLiteral("German"), QStringLiteral("Plain"), QStringLiteral("pt.BR"),
                         QStringLiteral("russian"), QStringLiteral("Spanish")}));
}

TEST(LanguageList, AMissingFolderGivesNoLanguages) {
  QTemporaryDir folder;
  EXPECT_TRUE(qv::i18n::languageNames(folder.filePath(QStringLiteral("absent"))).isEmpty());
}

// A language file is named by its language's English name, or by a locale code.
TEST(LanguageList, AFileNameNamesItsLanguage) {
  const struct {
    const char* name;
    QLocale::Language language;
  } cases[] = {
      {"German", QLocale::German},   {"french", QLocale::French},    {"Spanish", QLocale::Spanish},
      {"English", QLocale::English}, {"pt_BR", QLocale::Portuguese}, {"de", QLocale::German},
      {"Xyzzy", QLocale::C},         {"Plain", QLocale::C},          {"", QLocale::C},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qv::i18n::languageNamed(QString::fromUtf8(c.name)), c.language) << c.name;
  }
}

}  // namespace
