#pragma once

#include <QObject>
#include <QPointer>

namespace qv {

//! MainWindowHandle: the main window as the target of reports sent from other threads. Set during
//! the main window's start-up, cleared when it is destroyed; empty before and after.
QObject* MainWindowHandle();
void setMainWindowHandle(QObject* window);

}  // namespace qv
