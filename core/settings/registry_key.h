#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace qv::settings {

//! A named value as the per-user registry holds it.
struct RegistryValue {
  enum class Type : std::uint8_t { Dword, String, ExpandString, Other };
  Type type = Type::Other;
  std::uint32_t dword = 0;  // Dword
  QString text;             // String, ExpandString
  QString otherData;        // Other: the stored data as written, kept so a rewrite loses nothing

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

//! One opening of the per-user settings key. Each opening is its own object, used on the GUI
//! thread only; openings never overlap. Writes go to the key at once; close() flushes.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  //! The value named `name` (compared without regard to case), or nothing when absent.
  virtual std::optional<RegistryValue> value(const QString& name) const = 0;
  virtual bool setDword(const QString& name, std::uint32_t value) = 0;
  virtual bool setString(const QString& name, const QString& value) = 0;
  //! True when the value is gone afterwards (also when it was absent).
  virtual bool deleteValue(const QString& name) = 0;
  //! Flushes and releases the key; later calls do nothing. False when the flush failed.
  virtual bool close() = 0;
  //! Why the last close() could not write the key, naming where it is kept; empty when it could.
  virtual QString writeError() const { return {}; }
};

//! Where the key lives: opens it for one use.
class SettingsBackend {
 public:
  virtual ~SettingsBackend() = default;
  //! Opens the key, creating it when missing; nothing when it cannot be opened.
  virtual std::unique_ptr<RegistryKey> openKey() = 0;
};

//! The platform's store: a registry-export file below the XDG config home on Linux, the
//! registry key HKEY_CURRENT_USER\Software\Pelworn\Quorventale on Windows.
std::unique_ptr<SettingsBackend> createPlatformSettingsBackend();

}  // namespace qv::settings
