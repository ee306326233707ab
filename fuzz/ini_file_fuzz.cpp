// The INI codec on arbitrary file bytes (any encoding it detects); what it writes it reads back.
#include "ini/ini_file.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto parsed =
      qv::ini::IniFile::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  if (!parsed.ok()) {
    return 0;
  }
  const auto again = qv::ini::IniFile::parse(parsed.file.serialize());
  if (!again.ok() || again.file.sections().size() != parsed.file.sections().size()) {
    __builtin_trap();  // a file we wrote must read back with the same sections
  }
  return 0;
}
