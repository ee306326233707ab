// The main window's frame: the top line in the application's activation colour, the content one
// pixel below it in the normal state, and the platform window's events (mouse for the frame, keys
// before the controls).
#include "main.h"

#include "colours.h"
#include "frame/window_frame.h"
#include "splitter_bar.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QPainter>
#include <QWindow>

namespace {

bool normalState(const QWidget& window) {
  return !(window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
}

}  // namespace

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) {
    m_frame->attach();
    if (QWindow* handle = windowHandle()) {
      handle->installEventFilter(this);
    }
  }
  return QWidget::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::KeyPress) {
    return FormKeyDown(static_cast<const QKeyEvent&>(*event));
  }
  if (watched == LargeInfoPanel &&
      (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show)) {
    layoutInfoPanel();
  } else if (watched == EQPanel && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
    Splitter2->setVisible(event->type() == QEvent::ShowToParent);
  }
  return QWidget::eventFilter(watched, event);
}

void TMainForm::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  QPainter painter(this);
  const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
  painter.setPen(active ? qv::ui::colours::kTopLineActive : qv::ui::colours::kTopLineInactive);
  painter.drawLine(0, 0, width(), 0);
}

void TMainForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    applyFrameState();
    platformMinimised();
  }
  QWidget::changeEvent(event);
}

// Maximized, the content starts at the top edge; in the normal state one pixel below, so the top
// line stays visible above the information panel.
void TMainForm::applyFrameState() {
  layout()->setContentsMargins(0, normalState(*this) ? 1 : 0, 0, 0);
  update();
}
