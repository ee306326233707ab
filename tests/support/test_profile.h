#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <optional>

//! A throw-away user profile: HOME and the XDG folders point into a temporary folder for the
//! lifetime of the object, and are restored afterwards.
class TestProfile {
 public:
  TestProfile() {
    for (std::size_t i = 0; i < kVariables.size(); ++i) {
      if (qEnvironmentVariableIsSet(kVariables[i])) {
        m_saved[i] = qgetenv(kVariables[i]);
      }
    }
    set("HOME", m_root.path() + QStringLiteral("/home"));
    set("XDG_CONFIG_HOME", m_root.path() + QStringLiteral("/config"));
    set("XDG_DATA_HOME", m_root.path() + QStringLiteral("/data"));
    set("XDG_DATA_DIRS", m_root.path() + QStringLiteral("/system"));
    set("XDG_CACHE_HOME", m_root.path() + QStringLiteral("/cache"));
  }
  ~TestProfile() {
    for (std::size_t i = 0; i < kVariables.size(); ++i) {
      if (m_saved[i]) {
        qputenv(kVariables[i], *m_saved[i]);
      } else {
        qunsetenv(kVariables[i]);
      }
    }
  }
  TestProfile(const TestProfile&) = delete;
  TestProfile& operator=(const TestProfile&) = delete;

  QString root() const { return m_root.path(); }
  QString settingsFile() const { return m_root.path() + QStringLiteral("/config/Pelworn/Quorventale.reg"); }
  QString dataFolder() const { return m_root.path() + QStringLiteral("/data/Quorventale"); }
  QString languagesFolder() const { return m_root.path() + QStringLiteral("/system/quorventale/Languages"); }

  //! Writes the settings file: the export header, the key's section and `valueLines`.
  void writeSettings(const QStringList& valueLines) const {
    QDir().mkpath(m_root.path() + QStringLiteral("/config/Pelworn"));
    QFile file(settingsFile());
    file.open(QIODevice::WriteOnly);
    file.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelworn\\Quorventale]\r\n");
    for (const QString& line : valueLines) {
      file.write(line.toUtf8() + "\r\n");
    }
  }

  QByteArray settingsText() const {
    QFile file(settingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  void addLanguageFiles(const QStringList& fileNames) const {
    QDir().mkpath(languagesFolder());
    for (const QString& name : fileNames) {
      QFile(languagesFolder() + QLatin1Char('/') + name).open(QIODevice::WriteOnly);
    }
  }

 private:
  static constexpr std::array<const char*, 5> kVariables{"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                                         "XDG_CACHE_HOME"};

  static void set(const char* variable, const QString& value) { qputenv(variable, value.toUtf8()); }

  QTemporaryDir m_root;
  std::array<std::optional<QByteArray>, kVariables.size()> m_saved;
};
