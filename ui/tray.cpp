#include "tray.h"

#include "interface_texts.h"
#include "skin.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace qv::ui {

TrayTexts TrayTexts::builtIn() {
  using qv::i18n::builtInText;
  return {builtInText(1),  builtInText(24), builtInText(25), builtInText(28),
          builtInText(29), builtInText(31), builtInText(32)};
}

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent), TrayIcon1(new QSystemTrayIcon(applicationIcon(), this)), TrayPopup(new QMenu) {
  TrayPopup->setObjectName(QStringLiteral("TrayPopup"));
  Restore1 = TrayPopup->addAction(QString(), this, &TrayIcon::restoreChosen);
  TrayPopup->addSeparator();
  Previous1 = TrayPopup->addAction(QString(), this, &TrayIcon::previousChosen);
  PlayStop1 = TrayPopup->addAction(QString(), this, &TrayIcon::playStopChosen);
  Next1 = TrayPopup->addAction(QString(), this, &TrayIcon::nextChosen);
  TrayPopup->addSeparator();
  Mute1 = TrayPopup->addAction(QString(), this, &TrayIcon::muteChosen);
  Stations1 = TrayPopup->addMenu(QString());
  Stations1->setObjectName(QStringLiteral("Stations1"));
  Stations2 = TrayPopup->addAction(QString(), this, &TrayIcon::exitChosen);
  setTexts(TrayTexts::builtIn());

  TrayIcon1->setContextMenu(TrayPopup);
  connect(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
      emit clicked();
    } else if (reason == QSystemTrayIcon::DoubleClick) {
      emit doubleClicked();
    }
  });
}

// The menu has no parent widget, so it is ours to delete.
TrayIcon::~TrayIcon() {
  TrayIcon1->setContextMenu(nullptr);
  delete TrayPopup;
}

void TrayIcon::setTexts(const TrayTexts& texts) {
  Restore1->setText(texts.restore);
  Previous1->setText(texts.previous);
  PlayStop1->setText(texts.play);
  Next1->setText(texts.next);
  Mute1->setText(texts.mute);
  Stations1->setTitle(texts.stations);
  Stations2->setText(texts.exit);
}

void TrayIcon::setStations(const std::vector<qv::stations::TrayStation>& stations) {
  Stations1->clear();
  for (const qv::stations::TrayStation& station : stations) {
    QAction* item = Stations1->addAction(station.text);
    item->setData(station.index);
    connect(item, &QAction::triggered, this, [this, index = station.index] { emit stationChosen(index); });
  }
  markStation(m_markedIndex);
}

void TrayIcon::markStation(int index) {
  m_markedIndex = index;
  const QIcon chevron = resourceIcon(QStringLiteral("MenuChevron"));
  for (QAction* item : Stations1->actions()) {
    item->setIcon(item->data().toInt() == index ? chevron : QIcon());
  }
}

void TrayIcon::show() {
  TrayIcon1->show();
}

void TrayIcon::hide() {
  TrayIcon1->hide();
}

bool TrayIcon::isVisible() const {
  return TrayIcon1->isVisible();
}

bool TrayIcon::isAvailable() const {
  return m_available ? m_available() : QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace qv::ui
