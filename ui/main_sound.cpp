// The main window's sound controls: the volume and its sources, mute, the level brackets, and the
// equalizer panel. Each control calls the playback controller; the window shows what it reports.
#include "main.h"

#include "playback_controller.h"
#include "sound/eq_panel.h"
#include "sound/volume_bar.h"
#include "sound/volume_wheel.h"

#include <QLabel>
#include <QSlider>

void TMainForm::createSoundControls() {
  qv::playback::PlaybackController& controller = playbackController();
  connect(VolumeTB, &QSlider::valueChanged, this, &TMainForm::VolumeTBChange);
  // The tray, the popup or the media keys may set the volume too; the slider follows.
  connect(&controller, &qv::playback::PlaybackController::volumeChanged, VolumeTB, &QSlider::setValue);
  m_volumeBar = new qv::ui::VolumeBarPointer(VolEmptyImage, VolFullImage, VolumeTB, this);
  m_volumeWheel = new qv::ui::VolumeWheel(
      this, VolumeTB,
      [this] {
        return qv::ui::VolumeWheel::Options{m_model.value(qv::settings::MouseStep),
                                            m_model.value(qv::settings::InvertMouse)};
      },
      this);

  connect(&controller, &qv::playback::PlaybackController::levelsChanged, this,
          [this](const qv::playback::LevelBrackets& levels) {
            leftch->setText(levels.left);
            RightCh->setText(levels.right);
          });
  connect(&controller, &qv::playback::PlaybackController::muteToggled, this,
          [this](bool, const QString& image) { MuteImage->setImage(image); });

  Equalizer = new qv::ui::EqPanel(EQPanel);
  Equalizer->reverbLabel->setText(qv::i18n::builtInText(34));
  Equalizer->presetsLabel->setText(qv::i18n::builtInText(33));
  connect(Equalizer, &qv::ui::EqPanel::bandChanged, this, &TMainForm::bandSliderChange);
  connect(Equalizer, &qv::ui::EqPanel::reverbChanged, this, &TMainForm::reverbSliderChange);
  connect(&controller, &qv::playback::PlaybackController::bandMoved, this,
          [this](int band, int position) { Equalizer->bandSliders[band]->setValue(position); });
}

void TMainForm::VolumeTBChange() {
  playbackController().setVolume(VolumeTB->value());
  VolFullImage->resize(VolumeTB->value(), VolFullImage->height());
}

void TMainForm::MuteImageClick() {
  playbackController().toggleMute();
}

void TMainForm::bandSliderChange(int band) {
  playbackController().setBand(band, Equalizer->bandSliders[band]->value());
}

void TMainForm::reverbSliderChange() {
  playbackController().setReverb(Equalizer->reverbSlider->value());
}
