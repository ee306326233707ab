#include "text/network_text.h"

#include <gtest/gtest.h>

namespace text = qv::text;

namespace {

TEST(NetworkText, ValidUtf8StaysAndAnythingElseIsWindows1252) {
  const std::pair<QByteArray, QString> cases[] = {
      {"plain ascii", QStringLiteral("plain ascii")},
      {"Caf\xc3\xa9 \xe2\x82\xac", QString::fromUtf8("Café €")},
      {"Caf\xe9", QString::fromUtf8("Café")},
      {"\x80 \x92quoted\x92 \x96 \x9f", QString::fromUtf8("€ ’quoted’ – Ÿ")},
      {"\xc3", QString::fromUtf8("Ã")},  // a UTF-8 sequence cut short is not UTF-8
      {"", QString()},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(text::decodeNetworkText(bytes), expected) << bytes.toHex().toStdString();
  }
}

TEST(NetworkText, Windows1252KeepsEveryByte) {
  QByteArray all;
  for (int byte = 0; byte < 256; ++byte) {
    all.append(static_cast<char>(byte));
  }
  const QString decoded = text::decodeWindows1252(all);
  ASSERT_EQ(decoded.size(), 256);
  for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    EXPECT_EQ(decoded[undefined].unicode(), undefined);
  }
  EXPECT_EQ(decoded[0x8A], QChar(0x0160));
  EXPECT_EQ(decoded[0xA0], QChar(0x00A0));
  EXPECT_EQ(decoded[0xFF], QChar(0x00FF));
}

}  // namespace
