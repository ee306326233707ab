#include "display.h"

namespace qv::ui {

bool displayAvailable() {
  return true;
}

void chooseDisplayOptions() {}

}  // namespace qv::ui
