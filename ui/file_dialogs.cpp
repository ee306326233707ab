#include "file_dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace qv::ui {
namespace {

// For the run only: no stored setting holds it.
QString& lastDialogFolder() {
  static QString folder;
  return folder;
}

}  // namespace

QString dialogStartFolder(const QString& currentFile) {
  if (const QString& last = lastDialogFolder(); !last.isEmpty() && QFileInfo(last).isDir()) {
    return last;
  }
  if (!currentFile.isEmpty()) {
    const QFileInfo current(currentFile);
    if (current.isAbsolute() && current.dir().exists()) {
      return current.absolutePath();
    }
  }
  return QDir::homePath();
}

void rememberDialogFolder(const QString& chosenFile) {
  lastDialogFolder() = chosenFile.isEmpty() ? QString() : QFileInfo(chosenFile).absolutePath();
}

QString chooseFile(QWidget* parent, QFileDialog::AcceptMode mode, const QString& caption, const QString& startFile,
                   const QStringList& nameFilters, const QString& defaultSuffix) {
  QFileDialog dialog(parent, caption);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilters(nameFilters);
  dialog.setDefaultSuffix(defaultSuffix);
  const QFileInfo start(startFile);
  dialog.setDirectory(start.isDir() ? startFile : start.absolutePath());
  if (!start.isDir()) {
    dialog.selectFile(start.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return {};
  }
  const QString chosen = dialog.selectedFiles().front();
  rememberDialogFolder(chosen);
  return chosen;
}

}  // namespace qv::ui
