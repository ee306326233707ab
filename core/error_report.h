#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace qv {

//! Shows an error that escaped an event handler or a window's start-up stage: the error's own
//! message in an error box, after which the program goes on. GUI thread only.
void showError(const QString& message);

//! Shows the messages not shown by an earlier call in one error box; empty ones are skipped. The
//! program's last steps use it: both windows write the settings file as it ends, and a failure
//! they both meet is told once.
void showErrorsOnce(const QStringList& messages);

//! The GUI installs the error box at start; until then errors go to the log.
using ErrorPresenter = std::function<void(const QString& message)>;
//! Replaces the presenter and returns the previous one.
ErrorPresenter setErrorPresenter(ErrorPresenter presenter);

//! Shows the exception being handled; call only inside a catch block.
void showCurrentException();

//! Runs `work` as one guarded handler: an exception that escapes it is shown by showError.
//! Returns false when it was.
bool runGuarded(const std::function<void()>& work);

}  // namespace qv
