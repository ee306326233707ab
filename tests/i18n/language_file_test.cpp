// Language files: how bytes become lines, which files are used, and what the texts are after a
// switch.
#include "language_file.h"
#include "directory_texts.h"
#include "listening_texts.h"
#include "text_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace i18n = qv::i18n;

namespace {

struct SplitCase {
  const char* name;
  QByteArray bytes;
  std::optional<QStringList> lines;
};

QStringList strings(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) {
    out.append(QString::fromUtf8(item));
  }
  return out;
}

TEST(LanguageFile, LinesEndAtCrLfCrOrLfAndTheTextIsKeptAsItIs) {
  const SplitCase cases[] = {
      {"crlf", "a\r\nb\r\n", strings({"a", "b"})},
      {"lone cr", "a\rb", strings({"a", "b"})},
      {"lone lf", "a\nb\n", strings({"a", "b"})},
      {"mixed, with an empty line", "a\r\rb\n\r\nc", strings({"a", "", "b", "", "c"})},
      {"lf cr is two breaks", "a\n\rb", strings({"a", "", "b"})},
      {"no trimming, no comments", "  a ; # b\t\n", strings({"  a ; # b\t"})},
      {"byte-order mark skipped", "\xEF\xBB\xBFTitel\nÜber", strings({"Titel", "Über"})},
      {"only a break", "\n", strings({""})},
      {"a last break, then an empty line", "a\r\n\r\n", strings({"a", ""})},
      {"empty", "", QStringList()},
      {"invalid byte", "a\n\xFF\n", std::nullopt},
      {"truncated sequence", "caf\xC3", std::nullopt},
      {"overlong encoding", "\xC0\xAF", std::nullopt},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(i18n::splitLanguageLines(c.bytes), c.lines) << c.name;
  }
}

// A file whose line N reads "tN", so every applied line can be traced back.
QByteArray numberedFile(int lineCount, const QByteArray& lineBreak = "\r\n") {
  QByteArray bytes;
  for (int line = 0; line < lineCount; ++line) {
    bytes += "t" + QByteArray::number(line) + lineBreak;
  }
  return bytes;
}

class LanguageSwitch : public ::testing::Test {
 protected:
  void TearDown() override { table.load(QString(), held); }

  QString write(const char* name, const QByteArray& bytes) {
    const QString path = folder.filePath(QLatin1String(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  void expectEnglish() {
    for (int line = 1; line <= i18n::kInterfaceTextCount; ++line) {
      EXPECT_EQ(table.text(line), i18n::builtInText(line)) << "line " << line;
    }
    EXPECT_EQ(held.l_cancel, QStringLiteral("Cancel"));
    EXPECT_EQ(held.l_setform, QStringLiteral("Settings"));
    EXPECT_EQ(qv::l_connecting, QStringLiteral("connecting"));
  }

  QTemporaryDir folder;
  i18n::TextTable table;
  i18n::MainFormTexts held;
};

TEST_F(LanguageSwitch, AFileOf72LinesReplacesEveryTextAndLine0IsNotRead) {
  QByteArray bytes = numberedFile(75, "\n");
  bytes.replace("t41\n", "early cancel\n");
  ASSERT_TRUE(table.load(write("Numbered.txt", bytes), held));

  EXPECT_EQ(table.text(1), QStringLiteral("t1"));
  EXPECT_EQ(table.text(71), QStringLiteral("t71"));
  EXPECT_EQ(table.text(0), QString()) << "line 0 is a title, no text";
  EXPECT_EQ(held.l_buf, QStringLiteral("t10"));
  EXPECT_EQ(held.l_setform, QStringLiteral("t42"));
  EXPECT_EQ(held.l_discr, QStringLiteral("t69"));
  EXPECT_EQ(held.l_cancel, QStringLiteral("t66")) << "line 66 is applied after line 41";
  EXPECT_EQ(qv::l_bitrate, QStringLiteral("t8"));
  EXPECT_EQ(qv::l_unsaved, QStringLiteral("t71"));
  EXPECT_EQ(i18n::openDialogFilters(table),
            strings({"t55 (*.m3u *.m3u8 *.pls *.ini *.xspf *.xml *.txt *.zip)", "t56 (*.m3u *.m3u8 *.txt)",
                     "ShoutCast, Icecast (*.pls *.ini)", "t57 (*.xspf *.xml)", "t58 (*.zip)", "t59 (*)"}));
  EXPECT_EQ(i18n::saveDialogFilters(table), strings({"t60 (*.ini)", "t61 (*.pls)"}));
  // Lines 72 on carry the listening texts; those past the file's end keep their English.
  EXPECT_EQ(qv::l_reconnecting, QStringLiteral("t72"));
  EXPECT_EQ(qv::l_sleepoff, QStringLiteral("t74"));
  EXPECT_EQ(qv::l_setreconnect, QStringLiteral("Reconnect when a station drops"));
}

TEST_F(LanguageSwitch, AFileThatCannotBeUsedLeavesEnglishWhole) {
  const struct {
    const char* name;
    QByteArray bytes;
  } files[] = {
      {"71 lines", numberedFile(71)},
      {"72 lines but one is not UTF-8", numberedFile(72).replace("t30", "t\xE9")},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(table.load(write("Good.txt", numberedFile(72)), held));
    EXPECT_FALSE(table.load(write("Bad.txt", file.bytes), held)) << file.name;
    expectEnglish();
  }
  // A language without a file (or with no name at all), as after picking one whose file is gone.
  ASSERT_TRUE(table.load(write("Good.txt", numberedFile(72)), held));
  EXPECT_FALSE(table.load(folder.filePath(QStringLiteral("Missing.txt")), held));
  expectEnglish();
}

#ifdef QV_LANGUAGES_DIR
// Every shipped translation qualifies, translates the settings window, and leaves the fixed filter.
TEST_F(LanguageSwitch, ShippedTranslationsAreComplete) {
  const QDir shipped(QStringLiteral(QV_LANGUAGES_DIR));
  const QStringList files = shipped.entryList({QStringLiteral("*.txt")}, QDir::Files);
  EXPECT_EQ(files, strings({"French.txt", "German.txt", "Spanish.txt"}));
  for (const QString& file : files) {
    ASSERT_TRUE(table.load(shipped.filePath(file), held)) << file.toStdString();
    EXPECT_NE(held.l_setform, QStringLiteral("Settings")) << file.toStdString();
    EXPECT_EQ(table.text(41), table.text(66)) << file.toStdString();
    EXPECT_TRUE(qv::l_delconfirm.contains(QLatin1String("%s"))) << file.toStdString();
    EXPECT_EQ(i18n::openDialogFilters(table)[2], QStringLiteral("ShoutCast, Icecast (*.pls *.ini)"));
    for (int line = 1; line <= i18n::kInterfaceTextCount; ++line) {
      EXPECT_FALSE(table.text(line).isEmpty()) << file.toStdString() << " line " << line;
    }
    // The listening texts are translated too, each keeping the number or name it shows.
    EXPECT_NE(qv::l_reconnecting, QString::fromUtf8(i18n::listeningTexts()[0].builtIn)) << file.toStdString();
    const std::optional<QStringList> lines = i18n::readLanguageFile(shipped.filePath(file));
    ASSERT_TRUE(lines);
    for (const i18n::ListeningText& entry : i18n::listeningTexts()) {
      EXPECT_TRUE(entry.line < lines->size() && !(*lines)[entry.line].isEmpty())
          << file.toStdString() << " has no line " << entry.line;
      EXPECT_EQ(entry.global->contains(QLatin1String("%1")), QByteArray(entry.builtIn).contains("%1"))
          << file.toStdString() << " line " << entry.line;
    }
    EXPECT_NE(qv::l_findtitle, QString::fromUtf8(i18n::directoryTexts()[1].builtIn)) << file.toStdString();
    for (const i18n::DirectoryText& entry : i18n::directoryTexts()) {
      for (const char* mark : {"%1", "%2", "%3"}) {
        EXPECT_EQ(entry.global->contains(QLatin1String(mark)), QByteArray(entry.builtIn).contains(mark))
            << file.toStdString() << " line " << entry.line;
      }
    }
  }
}
#endif

}  // namespace
