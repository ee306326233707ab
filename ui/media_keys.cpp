#include "media_keys.h"

namespace qv::ui {
namespace {

class UnbuiltMediaKeys final : public MediaKeys {
 public:
  StageOutcome registerKeys() override { return StageOutcome::OwnerNotBuilt; }
  StageOutcome unregisterKeys() override { return StageOutcome::OwnerNotBuilt; }
};

}  // namespace

std::unique_ptr<MediaKeys> makeUnbuiltMediaKeys() {
  return std::make_unique<UnbuiltMediaKeys>();
}

}  // namespace qv::ui
