// The ZIP member listing on arbitrary bytes: every member it lets through has a safe name.
#include "zip_import.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const qv::playlists::ZipListing listing = qv::playlists::listZipBytes(bytes);
  if (listing.error.isEmpty()) {
    for (const qv::playlists::ZipMember& member : listing.members) {
      const QString path = member.folder ? member.name.chopped(1) : member.name;
      for (const QString& segment : path.split(QLatin1Char('/'))) {
        if (!qv::playlists::isSafeMemberName(segment) || member.symbolicLink) {
          __builtin_trap();
        }
      }
    }
  }
  return 0;
}
