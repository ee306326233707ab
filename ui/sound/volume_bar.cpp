#include "sound/volume_bar.h"

#include "volume_rules.h"

#include <QMouseEvent>
#include <QSlider>
#include <QWidget>

namespace qv::ui {

VolumeBarPointer::VolumeBarPointer(QWidget* emptyBar, QWidget* fullBar, QSlider* volume, QObject* parent)
    : QObject(parent), m_fullBar(fullBar), m_volume(volume) {
  emptyBar->installEventFilter(this);
  fullBar->installEventFilter(this);
}

bool VolumeBarPointer::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() != Qt::LeftButton) {
        return false;
      }
      m_dragging = true;
      const playback::VolumeBarPointer bar = playback::volumeBarPress(static_cast<int>(press->position().x()));
      // An unchanged position fires no change; the bright bar still shows it.
      m_volume->setValue(bar.position);
      m_fullBar->resize(bar.brightWidth, m_fullBar->height());
      return true;
    }
    case QEvent::MouseMove: {
      if (!m_dragging) {
        return false;
      }
      const auto* move = static_cast<QMouseEvent*>(event);
      const playback::VolumeBarPointer bar = playback::volumeBarDrag(static_cast<int>(move->position().x()));
      m_volume->setValue(bar.position);
      m_fullBar->resize(bar.brightWidth, m_fullBar->height());
      m_fullBar->setToolTip(bar.hint);
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_dragging = false;
      }
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace qv::ui
