#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace qv::playback {

//! The texts of the two level labels: `leftch` shows "(" brackets, `RightCh` ")" brackets.
struct LevelBrackets {
  QString left;
  QString right;

  friend bool operator==(const LevelBrackets&, const LevelBrackets&) = default;
};

//! Brackets for one channel's level 0..32768: none below 500, one from 500, two from 10000, three
//! from 25000.
int bracketCount(int level);

//! The level labels for the engine's level word (left level in the low 16 bits, right in the high
//! 16); both labels are empty when there is no level (no stream, not playing).
LevelBrackets levelBrackets(std::optional<std::uint32_t> levelWord);

//! Carries a stream's level from the audio thread to the window's thread, and wakes the window
//! only when the brackets it shows would change: a few times a second with music, where a poll
//! would wake it twenty times (on a virtual machine each wake-up costs as much as the repaint).
class LevelSignal {
 public:
  //! `wake` asks the window's thread to take() the level; it runs on the telling thread, so it
  //! must only queue a call. At most one wake is outstanding until take().
  explicit LevelSignal(std::function<void()> wake);

  //! Any thread: the engine's level word, UINT32_MAX for none (the engine's level watch).
  void tell(std::uint32_t levelWord);
  //! The window's thread: the newest level, nullopt for none; the next change wakes again.
  std::optional<std::uint32_t> take();
  //! The next level told wakes the window even when its brackets are those told before (the
  //! labels were changed another way).
  void forget();
  //! No wake from now on: the window is going.
  void detach();

 private:
  std::mutex m_mutex;  // a leaf: taken for a few instructions and the queuing of a wake
  std::function<void()> m_wake;
  std::uint32_t m_level = UINT32_MAX;
  int m_bracketCode = -1;  // the brackets of m_level; -1: none told yet, or forgotten
  bool m_woken = false;
};

}  // namespace qv::playback
