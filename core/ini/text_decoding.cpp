#include "text_decoding.h"

#include "text/network_text.h"

#include <QStringDecoder>

namespace qv::ini {
namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> mark) {
  if (bytes.size() < static_cast<qsizetype>(mark.size())) {
    return false;
  }
  qsizetype i = 0;
  for (unsigned char byte : mark) {
    if (static_cast<unsigned char>(bytes[i++]) != byte) {
      return false;
    }
  }
  return true;
}

// Stateless, so a sequence cut off at the end counts as invalid; the mark is already removed.
bool decodeStrict(QStringConverter::Encoding encoding, QByteArrayView bytes, QString& text) {
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
  text = decoder.decode(bytes);
  return !decoder.hasError();
}

// Qt's UTF-16 decoder passes odd lengths and lone surrogates; a file holding them is damaged.
bool decodeUtf16Strict(bool bigEndian, QByteArrayView bytes, QString& text) {
  if (bytes.size() % 2 != 0) {
    return false;
  }
  text.resize(bytes.size() / 2);
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const unsigned first = in[2 * i];
    const unsigned second = in[2 * i + 1];
    text[i] = QChar(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].isHighSurrogate()) {
      if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate()) {
        return false;
      }
      ++i;
    } else if (text[i].isLowSurrogate()) {
      return false;
    }
  }
  return true;
}

bool decodeMarked(QStringConverter::Encoding encoding, QByteArrayView bytes, QString& text) {
  if (encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE) {
    return decodeUtf16Strict(encoding == QStringConverter::Utf16BE, bytes, text);
  }
  return decodeStrict(encoding, bytes, text);
}

}  // namespace

DecodedText decodeText(const QByteArray& bytes) {
  DecodedText result;
  struct Marked {
    std::initializer_list<unsigned char> mark;
    QStringConverter::Encoding converter;
    TextEncoding encoding;
    const char* name;
  };
  const Marked marked[] = {
      {{0xEF, 0xBB, 0xBF}, QStringConverter::Utf8, TextEncoding::Utf8WithBom, "UTF-8"},
      {{0xFF, 0xFE}, QStringConverter::Utf16LE, TextEncoding::Utf16LE, "UTF-16 LE"},
      {{0xFE, 0xFF}, QStringConverter::Utf16BE, TextEncoding::Utf16BE, "UTF-16 BE"},
  };
  for (const Marked& m : marked) {
    if (startsWith(bytes, m.mark)) {
      result.encoding = m.encoding;
      if (!decodeMarked(m.converter, QByteArrayView(bytes).sliced(static_cast<qsizetype>(m.mark.size())),
                        result.text)) {
        result.text.clear();
        result.error =
            QStringLiteral("the file is marked as %1 but holds bytes that are not valid %1").arg(QLatin1String(m.name));
      }
      return result;
    }
  }
  if (decodeStrict(QStringConverter::Utf8, bytes, result.text)) {
    result.encoding = TextEncoding::Utf8;
  } else {
    result.encoding = TextEncoding::Windows1252;
    result.text = qv::text::decodeWindows1252(bytes);
  }
  return result;
}

}  // namespace qv::ini
