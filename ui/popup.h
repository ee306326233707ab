#pragma once

#include "settings/registry_key.h"

#include <QWidget>

//! The popup mini player: a small borderless always-on-top window that stands in for the main
//! window in compact mode. Created once after the settings window; lives until the program ends.
class TPopupForm : public QWidget {
  Q_OBJECT

 public:
  explicit TPopupForm(qv::settings::SettingsBackend& settings);
  ~TPopupForm() override;

  //! Creation: the icon and button images, and the width from the settings.
  void FormCreate();

  static constexpr int kHeight = 34;

 private:
  qv::settings::SettingsBackend& m_settings;
};

//! Program-wide reference; empty until the popup player has been created.
extern TPopupForm* PopupForm;
