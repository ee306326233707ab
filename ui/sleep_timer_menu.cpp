#include "sleep_timer_menu.h"

#include "listening_texts.h"
#include "sleep_timer_control.h"

#include <QInputDialog>
#include <QMenu>
#include <QPointer>

namespace qv::ui {

namespace {

QString caption(const QString& remaining) {
  return remaining.isEmpty() ? qv::l_sleeptimer
                             : qv::l_sleeptimer + QStringLiteral(" (") + remaining + QLatin1Char(')');
}

}  // namespace

QMenu* addSleepTimerMenu(QMenu* menu, qv::playback::SleepTimerControl& control, QWidget* dialogParent) {
  QMenu* submenu = menu->addMenu(caption(control.remainingText()));
  submenu->setObjectName(QStringLiteral("SleepTimerMenu"));
  for (const int minutes : qv::playback::SleepTimerControl::kChoicesMinutes) {
    QAction* choice = submenu->addAction(qv::l_sleepminutes.arg(minutes));
    QObject::connect(choice, &QAction::triggered, &control, [&control, minutes] { control.startMinutes(minutes); });
  }
  QAction* other = submenu->addAction(qv::l_sleepother);
  QPointer<QWidget> parent = dialogParent;
  QObject::connect(other, &QAction::triggered, &control, [&control, parent] {
    bool ok = false;
    const int minutes = QInputDialog::getInt(parent, qv::l_sleeptimer, qv::l_sleepprompt, 20, 1, 24 * 60, 1, &ok);
    if (ok) {
      control.startMinutes(minutes);
    }
  });
  submenu->addSeparator();
  QAction* off = submenu->addAction(qv::l_sleepoff);
  off->setEnabled(control.active());
  QObject::connect(off, &QAction::triggered, &control, [&control] { control.cancel(); });
  QObject::connect(&control, &qv::playback::SleepTimerControl::remainingChanged, submenu,
                   [submenu, off](const QString& remaining) {
                     submenu->setTitle(caption(remaining));
                     off->setEnabled(!remaining.isEmpty());
                   });
  return submenu;
}

}  // namespace qv::ui
