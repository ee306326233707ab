#pragma once

#include "registry_key.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace qv::settings {

//! The key path the settings live under; the file names it in its section line.
inline constexpr char kSettingsKeyPath[] = "HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale";

//! The values of one key in the registry-export syntax ("Name"=dword:00000064, "Name"="text",
//! hex(1)/hex(2)/hex(4) forms, other types kept as written). Values keep their order; names are
//! matched without regard to case, as the registry does.
class RegFile {
 public:
  struct Entry {
    QString name;
    RegistryValue value;
  };

  //! Reads the file's bytes (UTF-8 or UTF-16 with a byte-order mark, or UTF-8 without one). Lines
  //! that cannot be understood are skipped and make damaged() true.
  static RegFile parse(const QByteArray& bytes);

  //! UTF-8 text of the whole file. Strings holding control characters are written as hex(1),
  //! so every line stays one line.
  QByteArray serialize() const;

  const RegistryValue* find(const QString& name) const;
  void set(const QString& name, RegistryValue value);
  bool remove(const QString& name);

  const std::vector<Entry>& entries() const { return m_entries; }
  //! The parsed bytes held something that is not a value of this key.
  bool damaged() const { return m_damaged; }
  void markDamaged() { m_damaged = true; }

 private:
  std::vector<Entry> m_entries;
  bool m_damaged = false;
};

}  // namespace qv::settings
