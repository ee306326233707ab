#pragma once

#include <QObject>

#include <functional>

class QSlider;
class QWidget;

namespace qv::ui {

//! The mouse wheel anywhere over the main window sets the volume, except over a plain list box
//! (the station list or the recent list), which scrolls. Each notch moves the volume by the wheel
//! step; up raises it, or lowers it when inverted. The window sees the wheel before its controls.
class VolumeWheel : public QObject {
  Q_OBJECT

 public:
  struct Options {
    int step = 10;
    bool invert = false;
  };
  //! `options` is asked at each notch, so the settings window's current values count.
  VolumeWheel(QWidget* window, QSlider* volume, std::function<Options()> options, QObject* parent);
  ~VolumeWheel() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_window;
  QSlider* m_volume;
  std::function<Options()> m_options;
  //! Fine-grained wheels and touchpads send parts of a notch; they count once a whole notch is in.
  int m_pendingDelta = 0;
};

}  // namespace qv::ui
