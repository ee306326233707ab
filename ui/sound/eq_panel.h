#pragma once

#include "eq_presets.h"

#include <QObject>

#include <array>

class QComboBox;
class QLabel;
class QSlider;
class QWidget;

namespace qv::ui {

//! The controls of the equalizer panel: six vertical band sliders with their frequency labels, the
//! reverb slider and the preset list. It knows no stream: a slider that moves reports it, and the
//! main window applies it to the current stream's effects.
class EqPanel : public QObject {
  Q_OBJECT

 public:
  //! Creates the controls inside `panel`.
  explicit EqPanel(QWidget* panel);

  //! `TrackBar1`..`TrackBar6`, 0..30, 0 at the top (+15 dB).
  std::array<QSlider*, playback::kEqBandCount> bandSliders{};
  //! `TrackBar7`, 0..20.
  QSlider* reverbSlider;
  std::array<QLabel*, playback::kEqBandCount> frequencyLabels{};
  QLabel* reverbLabel;
  QLabel* presetsLabel;
  QComboBox* presetList;

  playback::BandPositions bandPositions() const;
  //! The two captions in the current language, each label as wide as its text.
  void setTexts(const QString& presets, const QString& reverb);

 signals:
  //! A band slider's position changed (0-based band), whatever moved it.
  void bandChanged(int band);
  void reverbChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyPreset(int index);
};

}  // namespace qv::ui
