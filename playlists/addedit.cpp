#include "addedit.h"

TAddEditForm* AddEditForm = nullptr;

TAddEditForm::TAddEditForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AddEditForm"));
}
