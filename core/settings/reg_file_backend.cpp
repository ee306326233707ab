#include "reg_file_backend.h"

#include "atomic_file.h"
#include "reg_file.h"
#include "unreadable_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <utility>

Q_LOGGING_CATEGORY(lcSettings, "qv.settings")

namespace qv::settings {
namespace {

class RegFileKey final : public RegistryKey {
 public:
  RegFileKey(QString filePath, RegFile contents, bool existed)
      : m_filePath(std::move(filePath)), m_contents(std::move(contents)), m_existed(existed) {}
  ~RegFileKey() override { close(); }

  std::optional<RegistryValue> value(const QString& name) const override {
    if (const RegistryValue* found = m_contents.find(name)) {
      return *found;
    }
    return std::nullopt;
  }

  bool setDword(const QString& name, std::uint32_t number) override {
    return store(name, {.type = RegistryValue::Type::Dword, .dword = number, .text = {}, .otherData = {}});
  }

  bool setString(const QString& name, const QString& text) override {
    return store(name, {.type = RegistryValue::Type::String, .dword = 0, .text = text, .otherData = {}});
  }

  bool deleteValue(const QString& name) override {
    if (m_closed) {
      return false;
    }
    m_dirty |= m_contents.remove(name);
    return true;
  }

  bool close() override {
    if (std::exchange(m_closed, true)) {
      return true;
    }
    if (!m_dirty && m_existed) {
      return true;
    }
    const QString aside = m_existed && m_contents.damaged() ? keepDamagedFileAside() : QString();
    m_writeError = writeFileAtomically(m_filePath, m_contents.serialize());
    if (!m_writeError.isEmpty()) {
      if (!aside.isEmpty()) {
        restoreFileKeptAside(aside, m_filePath);
      }
      qCWarning(lcSettings).noquote() << m_writeError;
      return false;
    }
    return true;
  }

  QString writeError() const override { return m_writeError; }

 private:
  bool store(const QString& name, RegistryValue value) {
    if (m_closed) {
      return false;
    }
    m_contents.set(name, std::move(value));
    m_dirty = true;
    return true;
  }

  QString keepDamagedFileAside() const {
    const QString aside = keepUnreadableFileAside(m_filePath);
    if (!aside.isEmpty()) {
      qCWarning(lcSettings).noquote() << "settings file had unreadable lines; the old file is kept as" << aside;
    }
    return aside;
  }

  QString m_filePath;
  RegFile m_contents;
  bool m_existed;
  bool m_dirty = false;
  bool m_closed = false;
  QString m_writeError;
};

}  // namespace

RegFileBackend::RegFileBackend(QString filePath) : m_filePath(std::move(filePath)) {}

std::unique_ptr<RegistryKey> RegFileBackend::openKey() {
  const QFileInfo info(m_filePath);
  if (!QDir().mkpath(info.absolutePath())) {
    qCWarning(lcSettings).noquote() << "cannot create the settings folder" << info.absolutePath();
    return nullptr;
  }
  if (!info.exists()) {
    return std::make_unique<RegFileKey>(m_filePath, RegFile{}, false);
  }
  QFile file(m_filePath);
  if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
    qCWarning(lcSettings).noquote() << "cannot open the settings file" << m_filePath;
    return nullptr;
  }
  // An oversized file is treated as damaged: read as empty, renamed aside at the first write.
  RegFile contents;
  if (file.size() > kMaxFileBytes) {
    contents.markDamaged();
  } else {
    contents = RegFile::parse(file.readAll());
  }
  return std::make_unique<RegFileKey>(m_filePath, std::move(contents), true);
}

}  // namespace qv::settings
