#pragma once

#include <QObject>

class QSlider;
class QWidget;

namespace qv::ui {

//! The pointer on the volume bar: the dark and the bright image lie on one another and share their
//! left edge, one pixel per percent. A left press starts a drag and sets the volume; moving while
//! dragging sets it again, and the bright bar and its hint follow the pointer even past the ends.
class VolumeBarPointer : public QObject {
  Q_OBJECT

 public:
  //! Watches both images; `volume` is the one holder of the volume.
  VolumeBarPointer(QWidget* emptyBar, QWidget* fullBar, QSlider* volume, QObject* parent);

  bool dragging() const { return m_dragging; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* m_fullBar;
  QSlider* m_volume;
  bool m_dragging = false;
};

}  // namespace qv::ui
