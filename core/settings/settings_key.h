#pragma once

#include "registry_key.h"
#include "settings_values.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace qv::settings {

//! One opening of the settings key with typed access. The key is opened (created when missing) on
//! construction and closed by close() or the destructor. On a key that did not open, every read
//! fails and every write does nothing, so a group's fallback applies.
//!
//! Read rules: an integer or boolean read fails when the value is absent or has another type; a
//! boolean is any non-zero number; a string read fails on a non-string value, and an absent string
//! reads as empty. Integers are stored as 32-bit registry numbers.
class SettingsKey {
 public:
  explicit SettingsKey(SettingsBackend& backend);
  ~SettingsKey();
  SettingsKey(const SettingsKey&) = delete;
  SettingsKey& operator=(const SettingsKey&) = delete;

  bool isOpen() const { return m_key != nullptr; }

  std::optional<std::int32_t> read(Setting<std::int32_t> setting) const;
  std::optional<bool> read(Setting<bool> setting) const;
  std::optional<QString> read(Setting<QString> setting) const;

  bool write(Setting<std::int32_t> setting, std::int32_t value);
  bool write(Setting<bool> setting, bool value);
  bool write(Setting<QString> setting, const QString& value);

  template <typename T>
  bool remove(Setting<T> setting) {
    return m_key && m_key->deleteValue(nameOf(setting.name));
  }

  //! Flushes and releases the key; false when it was not open or the flush failed.
  bool close();
  //! After a close() that failed to write: the message naming the file and the reason.
  const QString& writeError() const { return m_writeError; }

 private:
  static QString nameOf(std::string_view name) { return QString::fromLatin1(name.data(), qsizetype(name.size())); }
  std::optional<RegistryValue> raw(std::string_view name) const;

  std::unique_ptr<RegistryKey> m_key;
  QString m_writeError;
};

}  // namespace qv::settings
