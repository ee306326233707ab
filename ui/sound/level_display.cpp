#include "sound/level_display.h"

#include "level_meter.h"

#include <QLabel>
#include <QTimer>

#include <utility>

namespace qv::ui {

LevelMeter::LevelMeter(QLabel* left, QLabel* right, LevelSource source, QObject* parent)
    : QObject(parent), m_left(left), m_right(right), m_source(std::move(source)), m_timer(new QTimer(this)) {
  m_timer->setInterval(kIntervalMs);
  connect(m_timer, &QTimer::timeout, this, &LevelMeter::poll);
}

void LevelMeter::start() {
  m_timer->start();
}

void LevelMeter::poll() {
  const playback::LevelBrackets brackets = playback::levelBrackets(m_source());
  // Setting an unchanged text would still relayout the labels twenty times a second.
  if (m_left->text() != brackets.left) {
    m_left->setText(brackets.left);
  }
  if (m_right->text() != brackets.right) {
    m_right->setText(brackets.right);
  }
}

}  // namespace qv::ui
