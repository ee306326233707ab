#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

class QWidget;

namespace qv::ui {

//! Where the next open or save dialog starts (GUI thread only): the folder of the file last chosen
//! in one during this run; before that the folder of `currentFile` when it still exists; else the
//! user's home. Never the process's working directory.
QString dialogStartFolder(const QString& currentFile = {});
//! Remembers the folder of `chosenFile` for the next dialog of any window; an empty name forgets it.
void rememberDialogFolder(const QString& chosenFile);

//! Runs a modal open or save dialog in `startFolder` (or on `startFile` there); the chosen file,
//! remembered for the next dialog, or empty when cancelled.
QString chooseFile(QWidget* parent, QFileDialog::AcceptMode mode, const QString& caption, const QString& startFile,
                   const QStringList& nameFilters, const QString& defaultSuffix = {});

}  // namespace qv::ui
