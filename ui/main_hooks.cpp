// What the main window asks of subsystems that are not part of the program yet. Each says so in
// the log and does nothing; the tray work replaces this.
#include "main.h"

#include "lifecycle_log.h"

void TMainForm::showTrayIcon() {
  qv::logStageOutcome("tray icon", qv::StageOutcome::OwnerNotBuilt);
}
