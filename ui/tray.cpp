#include "tray.h"

#include "interface_texts.h"
#include "menu_text.h"
#include "skin.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

#include <algorithm>
#include <utility>

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
  connect(Stations1, &QMenu::aboutToShow, this, &TrayIcon::fillStationsMenu);
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
  m_wholeListText = texts.stations + QStringLiteral("\u2026");
  Stations2->setText(texts.exit);
}

void TrayIcon::setStationList(const qv::stations::StationList* stations) {
  m_stations = stations;
  stationsChanged();
}

void TrayIcon::stationsChanged() {
  if (Stations1->isVisible()) {
    fillStationsMenu();
  } else {
    Stations1->clear();  // its entries may name stations that moved; made again when it opens
  }
}

void TrayIcon::addStationItem(int index) {
  const qv::stations::StationEntry& entry = m_stations->PLAY_ARRAY()[static_cast<std::size_t>(index)];
  QAction* item = Stations1->addAction(menuTextOf(QString::number(index + 1) + QLatin1String(". ") + entry.Name));
  item->setData(index);
  connect(item, &QAction::triggered, this, [this, index] { emit stationChosen(index); });
}

void TrayIcon::fillStationsMenu() {
  Stations1->clear();
  if (!m_stations) {
    return;
  }
  const int count = static_cast<int>(m_stations->PLAY_ARRAY().size());
  if (count <= kMaxStationItems) {
    for (int index = 0; index < count; ++index) {
      addStationItem(index);
    }
    markStation(m_markedIndex);
    return;
  }

  // The stations around the current one, then the first ones the filter shows (without those
  // already listed), in all at most kMaxStationItems; the whole list is one entry away.
  const int current = m_markedIndex >= 0 && m_markedIndex < count
                          ? m_markedIndex
                          : std::max(0, m_stations->playIndexOfRow(m_stations->CurrentStation));
  const int first = std::max(0, std::min(current - kAroundCurrent, count - (2 * kAroundCurrent + 1)));
  const int last = std::min(count - 1, first + 2 * kAroundCurrent);
  for (int index = first; index <= last; ++index) {
    addStationItem(index);
  }
  int listed = last - first + 1;
  bool separated = false;
  const int shown = m_stations->activeCount();
  for (int row = 0; row < shown && listed < kMaxStationItems; ++row) {
    const int index = m_stations->playIndexOfRow(row);
    if (index >= first && index <= last) {
      continue;
    }
    if (!std::exchange(separated, true)) {
      Stations1->addSeparator();
    }
    addStationItem(index);
    ++listed;
  }
  Stations1->addSeparator();
  Stations1->addAction(m_wholeListText, this, &TrayIcon::stationListChosen);
  markStation(m_markedIndex);
}

void TrayIcon::markStation(int index) {
  m_markedIndex = index;
  const QIcon chevron = resourceIcon(QStringLiteral("MenuChevron"));
  for (QAction* item : Stations1->actions()) {
    const bool isStation = item->data().isValid();
    item->setIcon(isStation && item->data().toInt() == index ? chevron : QIcon());
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
