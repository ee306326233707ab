#include "read_group.h"

#include "lifecycle_log.h"

namespace qv::settings {

bool readGroup(const char* groupName, std::initializer_list<ReadStep> steps, const std::function<void()>& fallback) {
  logStage(groupName);
  bool complete = true;
  try {
    for (const ReadStep& step : steps) {
      if (!step()) {
        complete = false;
        break;
      }
    }
  } catch (...) {
    complete = false;
  }
  if (!complete) {
    qCDebug(lcLifecycle).noquote() << groupName << "fallback";
    fallback();
  }
  return complete;
}

}  // namespace qv::settings
