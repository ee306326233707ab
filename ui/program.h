#pragma once

#include "settings/registry_key.h"
#include "settings/settings_model.h"

#include <memory>

class TAddEditForm;
class TMainForm;
class TPopupForm;
class TSettingsForm;

namespace qv::ui {

//! The player's exit status when its start-up ended the program.
inline constexpr int kExitStartUpFailed = 1;
//! No audio output could be opened (scripts name the SDL driver that runs without one).
inline constexpr int kExitNoAudioOutput = 3;

//! The program's four windows, created once in the order main window, settings window, popup
//! player, add/edit dialog, and destroyed in the reverse order. The program-wide references
//! (MainForm, SettingsForm, PopupForm, AddEditForm) point at them while they exist.
class Program {
 public:
  explicit Program(settings::SettingsBackend& settings);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  //! Creates the windows, each running its start-up stages; an error that escapes a stage is shown
  //! and the next window is still created. False when the main window's start-up ended the program.
  bool createWindows();
  //! After createWindows returned false: kExitNoAudioOutput or kExitStartUpFailed.
  int startUpExitStatus() const;
  //! Shows the main window and runs the event loop until the main window is closed.
  int run();
  //! Closes the main window when that has not happened (its shutdown stages run), then destroys
  //! the windows in reverse creation order. After a start-up that ended the program nothing is
  //! closed or written: the windows are only destroyed.
  void destroyWindows();

 private:
  settings::SettingsBackend& m_settings;
  //! The settings every window and playback read; outlives the windows.
  settings::SettingsModel m_model;
  std::unique_ptr<TMainForm> m_mainForm;
  std::unique_ptr<TSettingsForm> m_settingsForm;
  std::unique_ptr<TPopupForm> m_popupForm;
  std::unique_ptr<TAddEditForm> m_addEditForm;
  bool m_startUpEndedProgram = false;
};

}  // namespace qv::ui
