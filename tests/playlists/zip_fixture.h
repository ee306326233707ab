#pragma once

#include <QByteArray>
#include <QString>

#include <zip.h>

#include <vector>

//! Writes a ZIP archive for a test; members may carry any name, a symbolic-link mode or a password.
struct ZipMemberSpec {
  const char* name;
  QByteArray bytes;
  bool symbolicLink = false;
  const char* password = nullptr;
};

inline bool writeZip(const QString& path, const std::vector<ZipMemberSpec>& members) {
  int error = 0;
  zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) {
    return false;
  }
  for (const ZipMemberSpec& member : members) {
    zip_source_t* source =
        zip_source_buffer(archive, member.bytes.constData(), static_cast<zip_uint64_t>(member.bytes.size()), 0);
    const zip_int64_t index = zip_file_add(archive, member.name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      return false;
    }
    if (member.symbolicLink) {
      zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX, 0120777u << 16);
    }
    if (member.password &&
        zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, member.password) != 0) {
      zip_discard(archive);
      return false;
    }
  }
  return zip_close(archive) == 0;
}
