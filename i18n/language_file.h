#pragma once

#include "interface_texts.h"
#include "stage_outcome.h"

#include <QString>

namespace qv::i18n {

//! Applies the language file `path` over the built-in texts. Reading language files is not built
//! yet: the call returns OwnerNotBuilt and the built-in texts stay.
StageOutcome applyLanguageFile(const QString& path, MainFormTexts& mainForm);

}  // namespace qv::i18n
