#include "paths.h"
#include "settings/reg_file_backend.h"

namespace qv::settings {

// No registry here: the key is a registry-export file below the XDG config home, so value types
// survive and a value of the wrong type fails its read as it would in the registry.
std::unique_ptr<SettingsBackend> createPlatformSettingsBackend() {
  return std::make_unique<RegFileBackend>(paths::settingsFile());
}

}  // namespace qv::settings
