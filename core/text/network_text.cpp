#include "network_text.h"

#include <QStringDecoder>

#include <array>

namespace qv::text {
namespace {

// 0x80..0x9F; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> kHighControlRange{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString decodeWindows1252(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    *out++ =
        (value >= 0x80 && value <= 0x9F) ? QChar(kHighControlRange[value - 0x80]) : QChar(static_cast<char16_t>(value));
  }
  return text;
}

QString decodeNetworkText(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) {
    return text;
  }
  return decodeWindows1252(bytes);
}

}  // namespace qv::text
