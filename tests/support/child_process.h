#pragma once

// Qt starts a child with a vfork-like clone that ThreadSanitizer cannot follow: from then on it
// misses the starting thread's locks and reports races that are not there. A child-process
// modifier makes Qt fork plainly, which every sanitizer understands; the cost is nothing for tests.

#include <QProcess>

inline void forkPlainly(QProcess& process) {
  process.setChildProcessModifier([] {});
}
