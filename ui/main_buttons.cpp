// The main window's image buttons: their hover images, their clicks and the playlist menu.
#include "main.h"

#include "image_button.h"
#include "link_label.h"
#include "popup.h"

#include <QAction>
#include <QMenu>

using qv::ui::ImageButton;
using qv::ui::Pointer;
using qv::ui::SkinButton;

void TMainForm::connectButtons() {
  const auto wire = [this](ImageButton* button, SkinButton which, void (TMainForm::*click)()) {
    button->setHoverRules([this, which] { return qv::ui::hoverImage(which, Pointer::Enter, buttonState()); },
                          [this, which] { return qv::ui::hoverImage(which, Pointer::Leave, buttonState()); });
    connect(button, &ImageButton::clicked, this, [this, click] { (this->*click)(); });
  };
  wire(CloseImage, SkinButton::Close, &TMainForm::CloseImageClick);
  wire(MinimizeImage, SkinButton::Minimize, &TMainForm::MinimizeImageClick);
  wire(SmallImage, SkinButton::Small, &TMainForm::SmallImageClick);
  wire(OntopImage, SkinButton::Ontop, &TMainForm::OntopImageClick);
  wire(iMenu, SkinButton::Menu, &TMainForm::iMenuClick);
  wire(SettingsImage, SkinButton::Settings, &TMainForm::SettingsImageClick);
  wire(EQImage, SkinButton::EQ, &TMainForm::EQImageClick);
  wire(PlayStopImage, SkinButton::PlayStop, &TMainForm::PlayStopImageClick);
  wire(PreviousImage, SkinButton::Previous, &TMainForm::PreviousImageClick);
  wire(NextImage, SkinButton::Next, &TMainForm::NextImageClick);
  wire(MuteImage, SkinButton::Mute, &TMainForm::MuteImageClick);

  connect(TrackLabel, &qv::ui::LinkLabel::clicked, this, [this] { TrackLabelClick(); });
  connect(TrackLabel, &qv::ui::LinkLabel::entered, this, [this] { TrackLabelMouseEnter(); });
  connect(TrackLabel, &qv::ui::LinkLabel::left, this, [this] { TrackLabelMouseLeave(); });
  connect(StationLabel, &qv::ui::LinkLabel::clicked, this, [this] { StationLabelClick(); });
  connect(StationLabel, &qv::ui::LinkLabel::entered, this, [this] { StationLabelMouseEnter(); });
  connect(StationLabel, &qv::ui::LinkLabel::left, this, [this] { StationLabelMouseLeave(); });
  // StatusLabel takes clicks and does nothing with them.

  connect(popOpenPL, &QAction::triggered, this, [this] { popOpenPLClick(); });
  connect(popSavePlaylist, &QAction::triggered, this, [this] { popSavePlaylistClick(); });
  connect(popAddStation, &QAction::triggered, this, [this] { popAddStationClick(); });
}

qv::ui::ButtonState TMainForm::buttonState() const {
  qv::ui::ButtonState state;
  state.onTop = alwaysOnTop();
  state.streamActive = streamActive();
  state.streamMuted = streamMuted();
  state.loopStations = m_model.value(qv::settings::LoopStations);
  state.currentStation = CurrentStation;
  state.lastStationIndex = activeStationCount() - 1;
  return state;
}

bool TMainForm::alwaysOnTop() const {
  return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TMainForm::setAlwaysOnTop(bool onTop) {
  if (onTop != alwaysOnTop()) {
    // Changing a window flag hides a shown window; it comes back where it was.
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) {
      show();
    }
  }
  OntopImage->setImage(QLatin1String(onTop ? "PngUntop_2" : "PngTop_2"));
}

void TMainForm::CloseImageClick() {
  close();
}

void TMainForm::MinimizeImageClick() {
  showMinimized();
}

void TMainForm::OntopImageClick() {
  setAlwaysOnTop(!alwaysOnTop());
}

// Compact mode: the popup player stands in for this window; with the tray option on, the tray icon
// is the way back, otherwise the popup gets a taskbar button of its own.
void TMainForm::SmallImageClick() {
  if (!PopupForm) {
    return;
  }
  CompactMode = true;
  PopupForm->showRestoreButton(m_skin);
  connect(PopupForm, &TPopupForm::restoreRequested, this, &TMainForm::leaveCompactMode, Qt::UniqueConnection);
  const bool toTray = m_model.value(qv::settings::HideToTray);
  PopupForm->setWindowFlags((PopupForm->windowFlags() & ~Qt::WindowType_Mask) | (toTray ? Qt::Tool : Qt::Window));
  PopupForm->show();
  hide();
  if (toTray) {
    showTrayIcon();
  }
}

void TMainForm::leaveCompactMode() {
  CompactMode = false;
  if (PopupForm) {
    PopupForm->hide();
  }
  show();
  raise();
  activateWindow();
}

void TMainForm::SettingsImageClick() {
  if (SettingsForm) {
    SettingsForm->show();
    SettingsForm->raise();
    SettingsForm->activateWindow();
  }
}

// The panel's visibility is not shown on the button.
void TMainForm::EQImageClick() {
  EQPanel->setVisible(EQPanel->isHidden());
}

void TMainForm::iMenuClick() {
  PlaylistButtonPopup->popup(iMenu->mapToGlobal(QPoint(0, iMenu->height())));
}
