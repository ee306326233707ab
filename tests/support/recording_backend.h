#pragma once

#include "settings/registry_key.h"

#include <QStringList>

#include <memory>
#include <stdexcept>
#include <utility>

//! Wraps a real settings back end and records every opening, write, delete and close, in order.
//! It can also refuse an opening or throw from one, to drive the failure paths.
class RecordingBackend final : public qv::settings::SettingsBackend {
 public:
  explicit RecordingBackend(std::unique_ptr<qv::settings::SettingsBackend> inner) : m_inner(std::move(inner)) {}

  std::unique_ptr<qv::settings::RegistryKey> openKey() override {
    ++m_openings;
    if (m_openings == m_throwAtOpening) {
      throw std::runtime_error("settings store exploded");
    }
    auto key = m_inner->openKey();
    if (!key) {
      m_log.append(QStringLiteral("open failed"));
      return nullptr;
    }
    m_log.append(QStringLiteral("open"));
    return std::make_unique<Key>(std::move(key), m_log);
  }

  const QStringList& log() const { return m_log; }
  //! The operations of the n-th successful opening (1-based), without "open" and "close".
  QStringList opening(int n) const {
    QStringList ops;
    int seen = 0;
    for (const QString& entry : m_log) {
      if (entry == QLatin1String("open")) {
        ++seen;
      } else if (seen == n && entry != QLatin1String("close")) {
        ops.append(entry);
      }
    }
    return ops;
  }
  int openings() const { return m_openings; }
  void clearLog() {
    m_log.clear();
    m_openings = 0;
  }
  void throwAtOpening(int n) { m_throwAtOpening = n; }

 private:
  class Key final : public qv::settings::RegistryKey {
   public:
    Key(std::unique_ptr<qv::settings::RegistryKey> inner, QStringList& log) : m_inner(std::move(inner)), m_log(log) {}
    std::optional<qv::settings::RegistryValue> value(const QString& name) const override {
      return m_inner->value(name);
    }
    bool setDword(const QString& name, std::uint32_t number) override {
      m_log.append(QStringLiteral("write ") + name);
      return m_inner->setDword(name, number);
    }
    bool setString(const QString& name, const QString& text) override {
      m_log.append(QStringLiteral("write ") + name);
      return m_inner->setString(name, text);
    }
    bool deleteValue(const QString& name) override {
      m_log.append(QStringLiteral("delete ") + name);
      return m_inner->deleteValue(name);
    }
    bool close() override {
      if (!m_closed) {
        m_closed = true;
        m_log.append(QStringLiteral("close"));
      }
      return m_inner->close();
    }
    QString writeError() const override { return m_inner->writeError(); }
    ~Key() override { close(); }

   private:
    std::unique_ptr<qv::settings::RegistryKey> m_inner;
    QStringList& m_log;
    bool m_closed = false;
  };

  std::unique_ptr<qv::settings::SettingsBackend> m_inner;
  QStringList m_log;
  int m_openings = 0;
  int m_throwAtOpening = 0;
};
