#include "keys.h"

namespace qv::ui {

KeyDecision decideKey(int key, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool focusOnPlainList,
                      bool streamPlaying) {
  KeyDecision decision;
  // A plain list moves its selection with these keys; every other key acts as anywhere else.
  const bool listMovement = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                            key == Qt::Key_PageDown || key == Qt::Key_Home || key == Qt::Key_End;
  if (focusOnPlainList && listMovement) {
    return decision;
  }

  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Right:
      decision.actions.push_back(KeyAction::VolumeUp);
      decision.consumed = true;
      return decision;
    case Qt::Key_Left:
    case Qt::Key_Down:
      decision.actions.push_back(KeyAction::VolumeDown);
      decision.consumed = true;
      return decision;
    case Qt::Key_PageDown:
    case Qt::Key_MediaNext:
      decision.actions.push_back(KeyAction::Next);
      break;
    case Qt::Key_PageUp:
    case Qt::Key_MediaPrevious:
      decision.actions.push_back(KeyAction::Previous);
      break;
    case Qt::Key_Play:
      decision.actions.push_back(KeyAction::Play);
      break;
    default:
      break;
  }

  // The keypad flag says where a key sits, not what the user holds.
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  const bool exactlyCtrl = held == Qt::ControlModifier && buttons == Qt::NoButton;
  if (key == Qt::Key_MediaStop && streamPlaying) {
    decision.actions.push_back(KeyAction::Stop);
  }
  if (key == Qt::Key_M) {
    decision.actions.push_back(KeyAction::Mute);
    // Not also a jump to the first station whose name starts with M.
    decision.consumed = focusOnPlainList;
  }
  if (key == Qt::Key_O && exactlyCtrl) {
    decision.actions.push_back(KeyAction::ShowSettings);
  }
  if (key == Qt::Key_P && exactlyCtrl) {
    decision.actions.push_back(KeyAction::TogglePlaylist);
  }
  return decision;
}

}  // namespace qv::ui
