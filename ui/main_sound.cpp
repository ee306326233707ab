// The main window's sound: the volume and its sources, mute, the level brackets, and the
// equalizer and reverb of the current stream.
#include "main.h"

#include "eq_presets.h"
#include "interface_texts.h"
#include "settings/settings_values.h"
#include "sound/eq_panel.h"
#include "sound/level_display.h"
#include "sound/volume_bar.h"
#include "sound/volume_wheel.h"
#include "volume_rules.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include <limits>

namespace {

constexpr std::uint32_t kNoLevel = std::numeric_limits<std::uint32_t>::max();

}  // namespace

void TMainForm::createSoundControls() {
  connect(VolumeTB, &QSlider::valueChanged, this, &TMainForm::VolumeTBChange);
  m_volumeBar = new qv::ui::VolumeBarPointer(VolEmptyImage, VolFullImage, VolumeTB, this);
  m_volumeWheel = new qv::ui::VolumeWheel(
      this, VolumeTB,
      [] {
        // Read from the settings window at the moment of use.
        if (SettingsForm) {
          return qv::ui::VolumeWheel::Options{SettingsForm->MouseStepSpin->value(),
                                              SettingsForm->InvertMouseCheckBox->isChecked()};
        }
        return qv::ui::VolumeWheel::Options{qv::settings::fallback::MouseStep, qv::settings::fallback::InvertMouse};
      },
      this);

  Timer1 = new qv::ui::LevelMeter(
      leftch, RightCh,
      [this]() -> std::optional<std::uint32_t> {
        const std::uint32_t level = qv::engine::channelGetLevel(StreamHandle);
        if (level == kNoLevel) {
          return std::nullopt;
        }
        return level;
      },
      this);
  Timer1->start();

  Equalizer = new qv::ui::EqPanel(EQPanel);
  Equalizer->reverbLabel->setText(qv::i18n::builtInText(34));
  Equalizer->presetsLabel->setText(qv::i18n::builtInText(33));
  connect(Equalizer, &qv::ui::EqPanel::bandChanged, this, &TMainForm::bandSliderChange);
  connect(Equalizer, &qv::ui::EqPanel::reverbChanged, this, &TMainForm::reverbSliderChange);
}

bool TMainForm::streamMuted() const {
  float volume = 1.0F;
  return qv::engine::channelGetAttribute(StreamHandle, qv::engine::Attribute::Volume, &volume) && volume == 0.0F;
}

void TMainForm::applyVolume(qv::engine::Handle stream) {
  qv::engine::channelSetAttribute(stream, qv::engine::Attribute::Volume, qv::playback::streamVolume(VolumeTB->value()));
}

void TMainForm::VolumeTBChange() {
  // With no stream the call fails without effect; the next stream starts at this position.
  applyVolume(StreamHandle);
  VolFullImage->resize(VolumeTB->value(), VolFullImage->height());
}

void TMainForm::MuteImageClick() {
  float volume = 0.0F;
  if (!qv::engine::channelGetAttribute(StreamHandle, qv::engine::Attribute::Volume, &volume)) {
    return;
  }
  const std::optional<qv::playback::MuteToggle> toggle = qv::playback::muteToggle(
      qv::engine::channelIsActive(StreamHandle) == qv::engine::ChannelState::Playing, volume, VolumeTB->value());
  if (!toggle) {
    return;
  }
  qv::engine::channelSetAttribute(StreamHandle, qv::engine::Attribute::Volume, toggle->streamVolume);
  MuteImage->setImage(toggle->image);
}

void TMainForm::Timer1Timer() {
  Timer1->poll();
}

void TMainForm::AttachEffects(qv::engine::Handle stream) {
  using qv::engine::EffectType;
  for (qv::engine::Handle& band : BandEffects) {
    band = qv::engine::channelSetFx(stream, EffectType::ParametricEq, 1);
  }
  ReverbEffect = qv::engine::channelSetFx(stream, EffectType::Reverb, 1);

  // The new stream sounds as the sliders show, not flat under a slider that says otherwise.
  const qv::playback::BandPositions positions = Equalizer->bandPositions();
  for (int band = 0; band < qv::playback::kEqBandCount; ++band) {
    const qv::dsp::ParametricEqParameters parameters{qv::playback::kEqBandCentresHz[band],
                                                     qv::playback::kEqBandwidthSemitones,
                                                     qv::playback::bandGainDb(positions[band])};
    qv::engine::fxSetParameters(BandEffects[band], parameters);
  }
  // The engine's own input gain stays; the rest is the reverb this player offers.
  qv::dsp::ReverbParameters reverb;
  qv::engine::fxGetParameters(ReverbEffect, &reverb);
  reverb.reverbMixDb = qv::playback::reverbMixDb(Equalizer->reverbSlider->value());
  reverb.reverbTimeMs = qv::playback::kReverbTimeMs;
  reverb.highFreqRtRatio = qv::playback::kReverbHighFreqRatio;
  qv::engine::fxSetParameters(ReverbEffect, reverb);
}

void TMainForm::bandSliderChange(int band) {
  // The effect keeps its own centre and width; only the gain follows the slider. Without a
  // stream there is nothing to change, and the slider still moves.
  qv::dsp::ParametricEqParameters parameters;
  if (!qv::engine::fxGetParameters(BandEffects[band], &parameters)) {
    return;
  }
  parameters.gainDb = qv::playback::bandGainDb(Equalizer->bandSliders[band]->value());
  qv::engine::fxSetParameters(BandEffects[band], parameters);
}

void TMainForm::reverbSliderChange() {
  qv::dsp::ReverbParameters parameters;
  if (!qv::engine::fxGetParameters(ReverbEffect, &parameters)) {
    return;
  }
  parameters.reverbMixDb = qv::playback::reverbMixDb(Equalizer->reverbSlider->value());
  qv::engine::fxSetParameters(ReverbEffect, parameters);
}
