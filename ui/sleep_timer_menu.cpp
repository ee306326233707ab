#include "sleep_timer_menu.h"

#include "listening_texts.h"
#include "sleep_timer_control.h"

#include <QInputDialog>
#include <QMenu>
#include <QPointer>

namespace qv::ui {

namespace {

// What each entry's data holds, so that its caption can be made again in another language.
constexpr int kOtherTime = -1;
constexpr int kOff = 0;

QString caption(const QString& remaining) {
  return remaining.isEmpty() ? qv::l_sleeptimer
                             : qv::l_sleeptimer + QStringLiteral(" (") + remaining + QLatin1Char(')');
}

}  // namespace

QMenu* addSleepTimerMenu(QMenu* menu, qv::playback::SleepTimerControl& control, QWidget* dialogParent) {
  QMenu* submenu = menu->addMenu(QString());
  submenu->setObjectName(QStringLiteral("SleepTimerMenu"));
  for (const int minutes : qv::playback::SleepTimerControl::kChoicesMinutes) {
    QAction* choice = submenu->addAction(QString());
    choice->setData(minutes);
    QObject::connect(choice, &QAction::triggered, &control, [&control, minutes] { control.startMinutes(minutes); });
  }
  QAction* other = submenu->addAction(QString());
  other->setData(kOtherTime);
  QPointer<QWidget> parent = dialogParent;
  QObject::connect(other, &QAction::triggered, &control, [&control, parent] {
    bool ok = false;
    const int minutes = QInputDialog::getInt(parent, qv::l_sleeptimer, qv::l_sleepprompt, 20, 1, 24 * 60, 1, &ok);
    if (ok) {
      control.startMinutes(minutes);
    }
  });
  submenu->addSeparator();
  QAction* off = submenu->addAction(QString());
  off->setData(kOff);
  off->setEnabled(control.active());
  QObject::connect(off, &QAction::triggered, &control, [&control] { control.cancel(); });
  QObject::connect(&control, &qv::playback::SleepTimerControl::remainingChanged, submenu,
                   [submenu, off](const QString& remaining) {
                     submenu->setTitle(caption(remaining));
                     off->setEnabled(!remaining.isEmpty());
                   });
  applySleepTimerMenuTexts(submenu, control);
  return submenu;
}

void applySleepTimerMenuTexts(QMenu* submenu, const qv::playback::SleepTimerControl& control) {
  submenu->setTitle(caption(control.remainingText()));
  for (QAction* action : submenu->actions()) {
    if (action->isSeparator()) {
      continue;
    }
    const int minutes = action->data().toInt();
    action->setText(minutes == kOtherTime ? qv::l_sleepother
                    : minutes == kOff     ? qv::l_sleepoff
                                          : qv::l_sleepminutes.arg(minutes));
  }
}

}  // namespace qv::ui
