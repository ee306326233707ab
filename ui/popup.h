#pragma once

#include "settings/registry_key.h"

#include <QWidget>

#include <functional>

class QLabel;
class QMenu;

namespace qv::ui {
class ImageButton;
class Skin;
}  // namespace qv::ui

//! The popup mini player: a small borderless always-on-top window that stands in for the main
//! window in compact mode. Created once after the settings window; lives until the program ends.
//! Each time it is shown it goes to the bottom-right corner of its screen's work area; it can be
//! made wider or narrower from its left and right edges, and nothing else. GUI thread only.
class TPopupForm : public QWidget {
  Q_OBJECT

 public:
  TPopupForm(qv::settings::SettingsBackend& settings, const qv::ui::Skin& skin);
  ~TPopupForm() override;

  //! Creation: the icon and button images, and the width from the settings.
  void FormCreate();

  static constexpr int kHeight = 34;
  //! Narrow enough to hide the title, wide enough to keep the buttons.
  static constexpr int kMinimumWidth = 123;

  //! The play button's look: Stop while playback is shown as running, else Play.
  void showPlaying(bool playing);
  //! The title report's text; it stays until the next one.
  void setTrackText(const QString& text);
  //! The tray menu, opened by a right-click on the icon.
  void setTrayMenu(QMenu* menu) { m_trayMenu = menu; }
  //! Whether the stream is active, for the play button's hover image (Play or Stop).
  void setStreamActive(std::function<bool()> streamActive) { m_streamActive = std::move(streamActive); }

  QLabel* AppImage;
  qv::ui::ImageButton* PreviousImage;
  qv::ui::ImageButton* PlayImage;
  qv::ui::ImageButton* NextImage;
  QLabel* TrackLabel;

 signals:
  //! A click on the icon: the main window comes back.
  void restoreRequested();
  void previousClicked();
  void playStopClicked();
  void nextClicked();

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls(const qv::ui::Skin& skin);

  qv::settings::SettingsBackend& m_settings;
  QMenu* m_trayMenu = nullptr;
  std::function<bool()> m_streamActive;
  // Our own resizing, where the window system does not resize for us.
  Qt::Edges m_resizing;
  QPoint m_resizeStartPointer;
  QRect m_resizeStartBounds;
};

//! Program-wide reference; empty until the popup player has been created.
extern TPopupForm* PopupForm;
