#include "settings/registry_key.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qv::settings {
namespace {

constexpr wchar_t kSubKey[] = L"Software\\Pelworn\\Quorventale";

std::wstring wide(const QString& text) {
  return text.toStdWString();
}

class WindowsRegistryKey final : public RegistryKey {
 public:
  explicit WindowsRegistryKey(HKEY key) : m_key(key) {}
  ~WindowsRegistryKey() override { close(); }

  std::optional<RegistryValue> value(const QString& name) const override {
    if (!m_key) {
      return std::nullopt;
    }
    const std::wstring valueName = wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(m_key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    std::vector<BYTE> data(size + sizeof(wchar_t));
    if (RegQueryValueExW(m_key, valueName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    RegistryValue result;
    switch (type) {
      case REG_DWORD:
        if (size != sizeof(DWORD)) {
          result.type = RegistryValue::Type::Other;
          break;
        }
        result.type = RegistryValue::Type::Dword;
        result.dword = *reinterpret_cast<const DWORD*>(data.data());
        break;
      case REG_SZ:
      case REG_EXPAND_SZ: {
        result.type = type == REG_SZ ? RegistryValue::Type::String : RegistryValue::Type::ExpandString;
        QString text = QString::fromWCharArray(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        while (text.endsWith(QChar(u'\0'))) {
          text.chop(1);
        }
        result.text = text;
        break;
      }
      default:
        result.type = RegistryValue::Type::Other;
        break;
    }
    return result;
  }

  bool setDword(const QString& name, std::uint32_t number) override {
    const DWORD data = number;
    return m_key && RegSetValueExW(m_key, wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                   sizeof data) == ERROR_SUCCESS;
  }

  bool setString(const QString& name, const QString& text) override {
    const std::wstring data = wide(text);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return m_key && RegSetValueExW(m_key, wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                   bytes) == ERROR_SUCCESS;
  }

  bool deleteValue(const QString& name) override {
    if (!m_key) {
      return false;
    }
    const LSTATUS status = RegDeleteValueW(m_key, wide(name).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }

  bool close() override {
    if (!m_key) {
      return true;
    }
    const bool flushed = RegFlushKey(m_key) == ERROR_SUCCESS;
    RegCloseKey(m_key);
    m_key = nullptr;
    return flushed;
  }

 private:
  HKEY m_key;
};

class WindowsRegistryBackend final : public SettingsBackend {
 public:
  std::unique_ptr<RegistryKey> openKey() override {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WindowsRegistryKey>(key);
  }
};

}  // namespace

std::unique_ptr<SettingsBackend> createPlatformSettingsBackend() {
  return std::make_unique<WindowsRegistryBackend>();
}

}  // namespace qv::settings
