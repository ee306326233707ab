#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace qv::ini {

//! How the bytes of a text file were read.
enum class TextEncoding : std::uint8_t { Utf8WithBom, Utf16LE, Utf16BE, Utf8, Windows1252 };

struct DecodedText {
  QString text;
  TextEncoding encoding = TextEncoding::Utf8;
  //! Empty when the bytes were read; otherwise why they could not be.
  QString error;

  bool ok() const { return error.isEmpty(); }
};

//! Reads text the way playlist files are read: a byte-order mark names UTF-8, UTF-16 LE or UTF-16
//! BE, and bytes that are not valid in the encoding it names are an error. Without a mark the
//! bytes are UTF-8 when they are valid UTF-8, otherwise Windows-1252 (which never fails).
DecodedText decodeText(const QByteArray& bytes);

}  // namespace qv::ini
