#include "display.h"

namespace qv::ui {

bool displayAvailable() {
  return true;
}

}  // namespace qv::ui
