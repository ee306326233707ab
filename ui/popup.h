#pragma once

#include "settings/registry_key.h"

#include <QWidget>

namespace qv::ui {
class ImageButton;
class Skin;
}  // namespace qv::ui

//! The popup mini player: a small borderless always-on-top window that stands in for the main
//! window in compact mode. Created once after the settings window; lives until the program ends.
class TPopupForm : public QWidget {
  Q_OBJECT

 public:
  explicit TPopupForm(qv::settings::SettingsBackend& settings);
  ~TPopupForm() override;

  //! Creation: the icon and button images, and the width from the settings.
  void FormCreate();

  //! Until the popup has its own controls, a button at its right edge (the compact-mode picture)
  //! leads back to the main window; a double-click anywhere does the same.
  void showRestoreButton(const qv::ui::Skin& skin);
  qv::ui::ImageButton* restoreButton() const { return m_restore; }

  static constexpr int kHeight = 34;

 signals:
  //! The user asks for the main window back.
  void restoreRequested();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  qv::ui::ImageButton* m_restore = nullptr;
  qv::settings::SettingsBackend& m_settings;
};

//! Program-wide reference; empty until the popup player has been created.
extern TPopupForm* PopupForm;
