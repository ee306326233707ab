#include "settings_key.h"

namespace qv::settings {

SettingsKey::SettingsKey(SettingsBackend& backend) : m_key(backend.openKey()) {}

SettingsKey::~SettingsKey() {
  close();
}

std::optional<RegistryValue> SettingsKey::raw(std::string_view name) const {
  return m_key ? m_key->value(nameOf(name)) : std::nullopt;
}

std::optional<std::int32_t> SettingsKey::read(Setting<std::int32_t> setting) const {
  const auto value = raw(setting.name);
  if (!value || value->type != RegistryValue::Type::Dword) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value->dword);
}

std::optional<bool> SettingsKey::read(Setting<bool> setting) const {
  const auto value = raw(setting.name);
  if (!value || value->type != RegistryValue::Type::Dword) {
    return std::nullopt;
  }
  return value->dword != 0;
}

std::optional<QString> SettingsKey::read(Setting<QString> setting) const {
  if (!m_key) {
    return std::nullopt;
  }
  const auto value = raw(setting.name);
  if (!value) {
    return QString();
  }
  if (value->type != RegistryValue::Type::String && value->type != RegistryValue::Type::ExpandString) {
    return std::nullopt;
  }
  return value->text;
}

bool SettingsKey::write(Setting<std::int32_t> setting, std::int32_t value) {
  return m_key && m_key->setDword(nameOf(setting.name), static_cast<std::uint32_t>(value));
}

bool SettingsKey::write(Setting<bool> setting, bool value) {
  return m_key && m_key->setDword(nameOf(setting.name), value ? 1U : 0U);
}

bool SettingsKey::write(Setting<QString> setting, const QString& value) {
  return m_key && m_key->setString(nameOf(setting.name), value);
}

bool SettingsKey::close() {
  if (!m_key) {
    return false;
  }
  const bool flushed = m_key->close();
  m_writeError = flushed ? QString() : m_key->writeError();
  m_key.reset();
  return flushed;
}

}  // namespace qv::settings
