#include "language_file.h"

namespace qv::i18n {

StageOutcome applyLanguageFile(const QString& /*path*/, MainFormTexts& /*mainForm*/) {
  return StageOutcome::OwnerNotBuilt;
}

}  // namespace qv::i18n
