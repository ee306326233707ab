#include "settings/reg_file.h"

#include <gtest/gtest.h>

using qv::settings::RegFile;
using qv::settings::RegistryValue;
using Type = RegistryValue::Type;

namespace {

const QByteArray kSection = "[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\r\n";

QByteArray keyFile(const QByteArray& valueLines) {
  return "Windows Registry Editor Version 5.00\r\n\r\n" + kSection + valueLines;
}

struct ParseCase {
  const char* what;
  QByteArray bytes;
  const char* name;
  std::optional<RegistryValue> expected;  // nothing: the value is absent
  bool damaged;
};

QByteArray utf16LeWithMark(const QByteArray& utf8) {
  QByteArray bytes("\xFF\xFE");
  for (const QChar c : QString::fromUtf8(utf8)) {
    bytes.append(static_cast<char>(c.unicode() & 0xFF));
    bytes.append(static_cast<char>(c.unicode() >> 8));
  }
  return bytes;
}

RegistryValue dword(std::uint32_t number) {
  return {Type::Dword, number, {}, {}};
}
RegistryValue text(const QString& value, Type type = Type::String) {
  return {type, 0, value, {}};
}
RegistryValue other(const char* data) {
  return {Type::Other, 0, {}, QString::fromLatin1(data)};
}

class RegFileParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(RegFileParse, ReadsTheValueAsTheRegistryWould) {
  const ParseCase& c = GetParam();
  const RegFile file = RegFile::parse(c.bytes);
  const RegistryValue* found = file.find(QString::fromLatin1(c.name));
  if (c.expected) {
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, *c.expected);
  } else {
    EXPECT_EQ(found, nullptr);
  }
  EXPECT_EQ(file.damaged(), c.damaged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegFileParse,
    ::testing::Values(
        ParseCase{"dword", keyFile("\"Volume\"=dword:00000064\r\n"), "Volume", dword(100), false},
        ParseCase{"dword upper-case digits", keyFile("\"Volume\"=DWORD:FFFFFFFF\r\n"), "Volume", dword(0xFFFFFFFF),
                  false},
        ParseCase{"name matched without case", keyFile("\"volume\"=dword:1\r\n"), "VOLUME", dword(1), false},
        ParseCase{"string with escapes",
                  keyFile(R"("Language"="Say \"hi\" C:\\dir")"
                          "\r\n"),
                  "Language", text(QStringLiteral("Say \"hi\" C:\\dir")), false},
        ParseCase{"UTF-8 string",
                  keyFile("\"Language\"=\"Fran\xC3\xA7"
                          "ais\"\n"),
                  "Language", text(QStringLiteral(u"Français")), false},
        ParseCase{"hex(1) string with line break", keyFile("\"Language\"=hex(1):61,00,0a,00,62,00,00,00\r\n"),
                  "Language", text(QStringLiteral("a\nb")), false},
        ParseCase{"hex(2) expandable string over two lines",
                  keyFile("\"Language\"=hex(2):25,00,41,00,\\\r\n  25,00,00,00\r\n"), "Language",
                  text(QStringLiteral("%A%"), Type::ExpandString), false},
        ParseCase{"hex(4) little-endian dword", keyFile("\"Volume\"=hex(4):64,00,00,00\r\n"), "Volume", dword(100),
                  false},
        ParseCase{"qword kept as written", keyFile("\"Volume\"=hex(b):01,00,00,00,00,00,00,00\r\n"), "Volume",
                  other("hex(b):01,00,00,00,00,00,00,00"), false},
        ParseCase{"later line wins", keyFile("\"Volume\"=dword:1\r\n\"Volume\"=\"x\"\r\n"), "Volume",
                  text(QStringLiteral("x")), false},
        ParseCase{"delete marker", keyFile("\"Volume\"=dword:1\r\n\"Volume\"=-\r\n"), "Volume", std::nullopt, false},
        ParseCase{"comment and blank lines", keyFile("; note\r\n\r\n  \"Volume\" = dword:2  \r\n"), "Volume", dword(2),
                  false},
        ParseCase{"UTF-8 byte-order mark", "\xEF\xBB\xBF" + keyFile("\"Volume\"=dword:3\n"), "Volume", dword(3), false},
        ParseCase{"UTF-16 LE as regedit writes it", utf16LeWithMark(keyFile("\"Volume\"=dword:00000007\r\n")), "Volume",
                  dword(7), false},
        ParseCase{"nine hex digits", keyFile("\"Volume\"=dword:000000064\r\n"), "Volume", std::nullopt, true},
        ParseCase{"unterminated string", keyFile("\"Language\"=\"English\r\n"), "Language", std::nullopt, true},
        ParseCase{"odd UTF-16 byte count", keyFile("\"Language\"=hex(1):61\r\n"), "Language", std::nullopt, true},
        ParseCase{"value outside the key", "\"Volume\"=dword:1\r\n" + kSection, "Volume", std::nullopt, true},
        ParseCase{"value of another key",
                  keyFile("\"Volume\"=dword:1\r\n[HKEY_CURRENT_USER\\Other]\r\n\"Volume\"=dword:2\r\n"), "Volume",
                  dword(1), true},
        ParseCase{"garbage beside a good value", keyFile("garbage\r\n\"Volume\"=dword:5\r\n"), "Volume", dword(5),
                  true},
        ParseCase{"invalid UTF-8", keyFile("\"Language\"=\"\xFF\"\r\n\"Volume\"=dword:5\r\n"), "Volume", dword(5),
                  true}),
    [](const ::testing::TestParamInfo<ParseCase>& param) {
      std::string name = param.param.what;
      for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      }
      return name;
    });

TEST(RegFile, SerializedValuesReadBackWithTheirTypes) {
  RegFile file;
  file.set(QStringLiteral("Volume"), dword(0x64));
  file.set(QStringLiteral("Negative"), dword(0xFFFFFFFF));
  file.set(QStringLiteral("Language"), text(QStringLiteral(u"Deutsch \"Ü\" C:\\x")));
  file.set(QStringLiteral("Lines"), text(QStringLiteral("first\r\nsecond\ttab")));
  file.set(QStringLiteral("Empty"), text(QString()));
  file.set(QStringLiteral("Expand"), text(QStringLiteral("%APPDATA%"), Type::ExpandString));
  file.set(QStringLiteral("Binary"), other("hex:00,ff"));

  const QByteArray bytes = file.serialize();
  EXPECT_TRUE(bytes.contains("\n\"Volume\"=dword:00000064\n")) << bytes.constData();
  EXPECT_TRUE(bytes.contains("\n\"Language\"=\"Deutsch \\\"\xC3\x9C\\\" C:\\\\x\"\n")) << bytes.constData();
  EXPECT_EQ(bytes.count('\n'), 3 + 7 + 1) << "every value stays on one line";

  const RegFile again = RegFile::parse(bytes);
  EXPECT_FALSE(again.damaged());
  ASSERT_EQ(again.entries().size(), file.entries().size());
  for (std::size_t i = 0; i < file.entries().size(); ++i) {
    EXPECT_EQ(again.entries()[i].name, file.entries()[i].name);
    EXPECT_EQ(again.entries()[i].value, file.entries()[i].value) << file.entries()[i].name.toStdString();
  }
}

TEST(RegFile, SetKeepsPlaceAndRemoveIgnoresCase) {
  RegFile file;
  file.set(QStringLiteral("A"), dword(1));
  file.set(QStringLiteral("B"), dword(2));
  file.set(QStringLiteral("a"), dword(3));
  ASSERT_EQ(file.entries().size(), 2U);
  EXPECT_EQ(file.entries()[0].value, dword(3));
  EXPECT_TRUE(file.remove(QStringLiteral("b")));
  EXPECT_FALSE(file.remove(QStringLiteral("b")));
  EXPECT_EQ(file.entries().size(), 1U);
}

}  // namespace
