// The main window's keys: seen before the focused control, acting through the buttons' handlers.
#include "main.h"

#include "keys.h"
#include "playback_controller.h"
#include "settings/settings_values.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QSlider>

#include <algorithm>

bool TMainForm::FormKeyDown(const QKeyEvent& event) {
  // The station list and the recent list move their selection with these keys themselves.
  const QWidget* focused = focusWidget();
  const bool onPlainList = focused && (focused->objectName() == QLatin1String("StationsList") ||
                                       focused->objectName() == QLatin1String("ListsListBox"));
  const qv::ui::KeyDecision decision =
      qv::ui::decideKey(event.key(), event.modifiers(), QGuiApplication::mouseButtons(), onPlainList,
                        playbackController().soundRequested());

  const int step = m_model.value(qv::settings::KeyboardStep);
  for (const qv::ui::KeyAction action : decision.actions) {
    switch (action) {
      case qv::ui::KeyAction::VolumeUp:
        VolumeTB->setValue(std::clamp(VolumeTB->value() + step, 0, 100));
        break;
      case qv::ui::KeyAction::VolumeDown:
        VolumeTB->setValue(std::clamp(VolumeTB->value() - step, 0, 100));
        break;
      case qv::ui::KeyAction::Next:
        NextImageClick();
        break;
      case qv::ui::KeyAction::Previous:
        PreviousImageClick();
        break;
      case qv::ui::KeyAction::Play:
        Play();
        if (QWidget* stations = findChild<QWidget*>(QStringLiteral("StationsList"))) {
          stations->update();
        }
        break;
      case qv::ui::KeyAction::Stop:
        playbackController().stop();
        break;
      case qv::ui::KeyAction::Mute:
        MuteImageClick();
        break;
      case qv::ui::KeyAction::ShowSettings:
        SettingsImageClick();
        break;
      case qv::ui::KeyAction::TogglePlaylist:
        PlaylistPanel->setVisible(PlaylistPanel->isHidden());
        break;
    }
  }
  return decision.consumed;
}
