#include "sound/eq_panel.h"

#include "colours.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QWidget>

namespace qv::ui {

namespace {

constexpr std::array<int, playback::kEqBandCount> kSliderLefts{6, 40, 77, 118, 152, 192};
constexpr std::array<int, playback::kEqBandCount> kLabelLefts{6, 40, 74, 115, 150, 188};
constexpr std::array<const char*, playback::kEqBandCount> kFrequencyTexts{"60", "250", "1000", "3500", "8000", "16000"};
constexpr int kTickInterval = 5;

QSlider* verticalSlider(QWidget* panel, const QString& name, int maximum, int start, const QRect& geometry) {
  auto* slider = new QSlider(Qt::Vertical, panel);
  slider->setObjectName(name);
  slider->setRange(0, maximum);
  // Position 0 at the top, as the boost of a band is at the top.
  slider->setInvertedAppearance(true);
  slider->setInvertedControls(true);
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(kTickInterval);
  slider->setValue(start);
  slider->setFocusPolicy(Qt::StrongFocus);
  slider->setGeometry(geometry);
  return slider;
}

QLabel* panelLabel(QWidget* panel, const QString& name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, panel);
  label->setObjectName(name);
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, colours::kLabelText);
  label->setPalette(colours);
  label->move(left, top);
  label->resize(label->sizeHint());
  return label;
}

}  // namespace

EqPanel::EqPanel(QWidget* panel) : QObject(panel) {
  for (int band = 0; band < playback::kEqBandCount; ++band) {
    QSlider* slider = verticalSlider(panel, QStringLiteral("TrackBar%1").arg(band + 1), playback::kBandPositionMax,
                                     playback::kBandPositionFlat, QRect(kSliderLefts[band], 3, 30, 65));
    bandSliders[band] = slider;
    connect(slider, &QSlider::valueChanged, this, [this, band] { emit bandChanged(band); });
    slider->installEventFilter(this);
    frequencyLabels[band] = panelLabel(panel, QStringLiteral("LEQ%1").arg(band + 1),
                                       QLatin1String(kFrequencyTexts[band]), kLabelLefts[band], 64);
  }
  reverbSlider = verticalSlider(panel, QStringLiteral("TrackBar7"), playback::kReverbPositionMax,
                                playback::kReverbPositionStart, QRect(241, 3, 24, 62));
  connect(reverbSlider, &QSlider::valueChanged, this, &EqPanel::reverbChanged);
  reverbLabel = panelLabel(panel, QStringLiteral("Reverb"), QStringLiteral("Reverb"), 234, 64);
  presetsLabel = panelLabel(panel, QStringLiteral("lPresets"), QStringLiteral("Presets"), 288, 8);

  presetList = new QComboBox(panel);
  presetList->setObjectName(QStringLiteral("cbPresets"));
  presetList->setEditable(false);
  for (const playback::EqPreset& preset : playback::eqPresets()) {
    presetList->addItem(QString::fromUtf8(preset.name.data(), static_cast<qsizetype>(preset.name.size())));
  }
  presetList->setCurrentIndex(playback::kFlatPresetIndex);
  presetList->setGeometry(288, 29, 113, presetList->sizeHint().height());
  // Only the user's choice applies a preset; the list set from here fires nothing.
  connect(presetList, &QComboBox::activated, this, &EqPanel::applyPreset);
}

playback::BandPositions EqPanel::bandPositions() const {
  playback::BandPositions positions{};
  for (int band = 0; band < playback::kEqBandCount; ++band) {
    positions[band] = bandSliders[band]->value();
  }
  return positions;
}

void EqPanel::setTexts(const QString& presets, const QString& reverb) {
  presetsLabel->setText(presets);
  presetsLabel->resize(presetsLabel->sizeHint());
  reverbLabel->setText(reverb);
  reverbLabel->resize(reverbLabel->sizeHint());
}

void EqPanel::applyPreset(int index) {
  // Each slider that moves reports its own band; one already in place reports nothing.
  for (const playback::BandMove& move : playback::presetMoves(index, bandPositions())) {
    bandSliders[move.band]->setValue(move.position);
  }
}

bool EqPanel::eventFilter(QObject* watched, QEvent* event) {
  const auto focusReason = [event] { return static_cast<QFocusEvent*>(event)->reason(); };
  // A band slider taken in hand (click or keyboard) makes the bands the user's own; the focus
  // coming back with the window or from a closed popup is not the user's doing.
  if (event->type() == QEvent::FocusIn && focusReason() != Qt::ActiveWindowFocusReason &&
      focusReason() != Qt::PopupFocusReason) {
    const QSignalBlocker quiet(presetList);
    presetList->setCurrentIndex(playback::kCustomPresetIndex);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qv::ui
