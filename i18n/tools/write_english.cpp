// Build-time tool: writes the built-in texts as the language file English.txt, so an installed
// player lists its own language and translators start from a file that matches the program.
//
//   qv_write_english <output file>
#include "interface_texts.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qv_write_english <output file>\n", stderr);
    return 2;
  }
  QSaveFile file(QFile::decodeName(argv[1]));
  if (!file.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "qv_write_english: cannot write %s\n", argv[1]);
    return 1;
  }
  // Line 0 is not read: it names the language.
  QByteArray text = "English\n";
  for (int line = 1; line <= qv::i18n::kInterfaceTextCount; ++line) {
    text += qv::i18n::builtInText(line).toUtf8() + '\n';
  }
  if (file.write(text) != text.size() || !file.commit()) {
    std::fprintf(stderr, "qv_write_english: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
