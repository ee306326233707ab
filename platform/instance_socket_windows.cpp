#include "instance_socket.h"

namespace qv::app {

// A named pipe: its name is local to the session and needs no folder.
QString localSocketName(const QString& shortName) {
  return shortName;
}

}  // namespace qv::app
