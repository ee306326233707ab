#include "language_list.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(LanguageList, NamesEveryFileWithoutItsLastExtensionExceptRussian) {
  QTemporaryDir folder;
  for (const char* name : {"German.txt", "Russian.txt", "russian.txt", "German.bak", "Plain", "pt.BR.txt"}) {
    QFile(folder.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
  }
  QDir(folder.path()).mkdir(QStringLiteral("Sub.txt"));

  QStringList names = qv::i18n::languageNames(folder.path());
  names.sort();
  EXPECT_EQ(names, (QStringList{QStringLiteral("German"), QStringLiteral("German"), QStringLiteral("Plain"),
                                QStringLiteral("pt.BR"), QStringLiteral("russian")}));
}

TEST(LanguageList, AMissingFolderGivesNoLanguages) {
  QTemporaryDir folder;
  EXPECT_TRUE(qv::i18n::languageNames(folder.filePath(QStringLiteral("absent"))).isEmpty());
}

}  // namespace
