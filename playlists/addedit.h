#pragma once

#include <QDialog>

//! The add/edit station dialog. Created once at start-up, after the popup player, with no start-up
//! work of its own; it lives until the program ends.
class TAddEditForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAddEditForm(QWidget* parent = nullptr);
};

//! Program-wide reference; empty until the dialog has been created.
extern TAddEditForm* AddEditForm;
