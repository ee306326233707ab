#include "lifecycle_log.h"

// Info and above by default: the stage trace is there for whoever turns it on.
Q_LOGGING_CATEGORY(lcLifecycle, "qv.lifecycle", QtInfoMsg)

namespace qv {

void logStage(const char* stage) {
  qCDebug(lcLifecycle).noquote() << stage;
}

void logStageOutcome(const char* stage, StageOutcome outcome) {
  switch (outcome) {
    case StageOutcome::Done:
      break;
    case StageOutcome::Failed:
      qCWarning(lcLifecycle).noquote() << stage << "failed";
      break;
    case StageOutcome::OwnerNotBuilt:
      qCInfo(lcLifecycle).noquote() << stage << "skipped: its subsystem is not built yet";
      break;
  }
}

}  // namespace qv
