#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QTimer;

namespace qv::ui {

//! The level brackets beside the status text: every 50 ms the level of the current stream becomes
//! "(" brackets in the left label and ")" brackets in the right one.
class LevelMeter : public QObject {
  Q_OBJECT

 public:
  //! The level word (left in the low 16 bits, right in the high 16), or nothing when no stream plays.
  using LevelSource = std::function<std::optional<std::uint32_t>()>;

  LevelMeter(QLabel* left, QLabel* right, LevelSource source, QObject* parent);

  static constexpr int kIntervalMs = 50;

  //! Runs from start-up to exit.
  void start();
  //! One poll: asks the source once and updates both labels.
  void poll();

 private:
  QLabel* m_left;
  QLabel* m_right;
  LevelSource m_source;
  QTimer* m_timer;
};

}  // namespace qv::ui
