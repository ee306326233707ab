#pragma once

class QWidget;

namespace qv::ui {

//! Makes a request to end the process (SIGTERM, SIGINT, SIGHUP on Linux; none on Windows, where
//! the session sends a close to the window) close `mainWindow` on the GUI thread, so its shutdown
//! stages run and nothing is lost.
void closeOnTerminationRequest(QWidget* mainWindow);

}  // namespace qv::ui
