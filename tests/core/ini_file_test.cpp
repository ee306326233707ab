#include "ini/ini_file.h"
#include "ini/text_decoding.h"

#include <gtest/gtest.h>

namespace {

using qv::ini::IniFile;
using qv::ini::TextEncoding;

QByteArray utf16(const QString& text, bool littleEndian) {
  QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
  for (const QChar c : text) {
    const char high = static_cast<char>(c.unicode() >> 8);
    const char low = static_cast<char>(c.unicode() & 0xFF);
    bytes.append(littleEndian ? low : high);
    bytes.append(littleEndian ? high : low);
  }
  return bytes;
}

TEST(TextDecoding, MarkOrValidityChoosesTheEncoding) {
  const QString text = QStringLiteral("Café ☕ €");
  struct Case {
    const char* what;
    QByteArray bytes;
    TextEncoding encoding;
    QString text;
  };
  const Case cases[] = {
      {"UTF-8 with mark", QByteArray("\xEF\xBB\xBF") + text.toUtf8(), TextEncoding::Utf8WithBom, text},
      {"UTF-16 LE with mark", utf16(text, true), TextEncoding::Utf16LE, text},
      {"UTF-16 BE with mark", utf16(text, false), TextEncoding::Utf16BE, text},
      {"valid UTF-8 without mark", text.toUtf8(), TextEncoding::Utf8, text},
      // 0xE9 alone is not UTF-8; 0x80 and 0x9F are the euro sign and Y with diaeresis in Windows-1252.
      {"8-bit without mark", QByteArray("Caf\xE9 \x80 \x9F \x81"), TextEncoding::Windows1252,
       QStringLiteral("Café € Ÿ \u0081")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const qv::ini::DecodedText decoded = qv::ini::decodeText(c.bytes);
    EXPECT_TRUE(decoded.ok()) << decoded.error.toStdString();
    EXPECT_EQ(decoded.encoding, c.encoding);
    EXPECT_EQ(decoded.text, c.text);
  }
}

TEST(TextDecoding, BytesInvalidForTheirMarkAreAnError) {
  const QByteArray cases[] = {
      QByteArray("\xEF\xBB\xBF[playlist]\r\nTitle1=Caf\xE9\r\n"),  // Latin-1 byte in a UTF-8 file
      QByteArray("\xEF\xBB\xBF"
                 "abc\xE2\x82"),            // sequence cut off at the end
      QByteArray::fromHex("fffe410042"),    // odd byte count
      QByteArray::fromHex("fffe00d84100"),  // unpaired high surrogate
  };
  for (const QByteArray& bytes : cases) {
    SCOPED_TRACE(bytes.toHex().toStdString());
    EXPECT_FALSE(qv::ini::decodeText(bytes).ok());
    EXPECT_FALSE(IniFile::parse(bytes).ok());
  }
}

TEST(IniFile, ReadingRules) {
  const IniFile file = IniFile::parseText(
      u"stray line before any section\n"
      u"  [PlayList]  \n"
      u"; a comment = not a key\n"
      u"\n"
      u"  Title1 =  Jazz = FM  \r\n"
      u"TITLE1=second wins nothing\n"
      u"=no key\n"
      u"just text\n"
      u"[other]\r"
      u"Key=Value\n"
      u"[playlist]\n"
      u"Title2=from a repeated section\n");

  const qv::ini::IniSection* playlist = file.section(u"playlist");
  ASSERT_NE(playlist, nullptr);
  EXPECT_EQ(playlist->name(), QStringLiteral("PlayList"));
  EXPECT_EQ(playlist->value(u"title1"), QStringLiteral("Jazz = FM")) << "split at the first =, blanks dropped";
  EXPECT_EQ(playlist->value(u""), QStringLiteral("no key"));
  EXPECT_FALSE(playlist->contains(u"; a comment"));
  EXPECT_FALSE(playlist->contains(u"just text"));
  EXPECT_FALSE(playlist->contains(u"Title2")) << "a repeated section adds nothing";
  EXPECT_EQ(file.section(u"OTHER")->value(u"key"), QStringLiteral("Value"));
  EXPECT_EQ(file.section(u"missing"), nullptr);
}

TEST(IniFile, RewritingKeepsOtherSectionsAndPutsTheNewOneLast) {
  IniFile file = IniFile::parseText(
      u"; header comment\n[playlist]\nTitle1=old\n[Mine]\n; my note\nA = 1\nloose\n[PLAYLIST]\nTitle9=x\n");
  file.removeSection(u"playlist");
  qv::ini::IniSection& section = file.appendSection(QStringLiteral("playlist"));
  section.append(QStringLiteral("Path"), QString());
  section.append(QStringLiteral("Title1"), QStringLiteral("Ünïcode"));

  EXPECT_EQ(file.serialize(), QByteArray("\xEF\xBB\xBF; header comment\r\n"
                                         "[Mine]\r\n; my note\r\nA=1\r\nloose\r\n\r\n"
                                         "[playlist]\r\nPath=\r\nTitle1=\xC3\x9Cn\xC3\xAF"
                                         "code\r\n\r\n"));
}

}  // namespace
