#pragma once

#include "registry_key.h"

#include <QString>

namespace qv::settings {

//! The settings key kept as one registry-export file. Each opening reads the file; closing an
//! opening that changed something (or that created the key) writes the whole file to a temporary
//! file in the same folder and renames it over the old one. A file with lines that cannot be
//! understood is renamed aside (`<name>.unreadable-<date-time>.reg`) before it is first
//! rewritten, so nothing that was in it is lost.
class RegFileBackend final : public SettingsBackend {
 public:
  explicit RegFileBackend(QString filePath);
  std::unique_ptr<RegistryKey> openKey() override;

  //! A settings file larger than this is not a settings file: it is kept aside, not read.
  static constexpr qint64 kMaxFileBytes = 1 << 20;

 private:
  QString m_filePath;
};

}  // namespace qv::settings
