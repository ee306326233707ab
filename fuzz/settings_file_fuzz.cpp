// The settings file reader on arbitrary bytes; what it writes back reads as the same values.
#include "settings/reg_file.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file =
      qv::settings::RegFile::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const auto again = qv::settings::RegFile::parse(file.serialize());
  if (again.damaged() || again.entries().size() != file.entries().size()) {
    __builtin_trap();  // a saved file must read back whole
  }
  return 0;
}
