#pragma once

#include <QByteArrayView>
#include <QString>

//! Decoding of the 8-bit texts that servers send (stream titles, header lines, status lines).
namespace qv::text {

//! Windows-1252: Latin-1 with printable characters in 0x80..0x9F. The five bytes that code page
//! leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value,
//! as the platform decoders do, so no byte is lost.
QString decodeWindows1252(QByteArrayView bytes);

//! UTF-8 when `bytes` is valid UTF-8, otherwise Windows-1252, so a Latin-1 title shows right
//! instead of turning into replacement characters.
QString decodeNetworkText(QByteArrayView bytes);

}  // namespace qv::text
