#pragma once

#include "stage_outcome.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLifecycle)

namespace qv {

//! Records that a start-up or shutdown stage runs (debug level of "qv.lifecycle").
void logStage(const char* stage);

//! Records a stage's outcome; a stage whose owner is not built yet is said so at info level.
void logStageOutcome(const char* stage, StageOutcome outcome);

}  // namespace qv
