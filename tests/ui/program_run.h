#pragma once

#include "addedit.h"
#include "error_report.h"
#include "lifecycle_capture.h"
#include "main.h"
#include "popup.h"
#include "program.h"
#include "recording_backend.h"
#include "settings.h"
#include "settings/reg_file_backend.h"
#include "test_profile.h"

#include <memory>

//! One run of the program on a throw-away profile: the real settings file below the profile,
//! every settings opening recorded, the stage trace captured and error boxes collected instead of
//! shown.
class ProgramRun {
 public:
  ProgramRun() {
    m_previousPresenter = qv::setErrorPresenter([this](const QString& m) { errors.append(m); });
  }
  ~ProgramRun() {
    m_program.reset();
    qv::setErrorPresenter(m_previousPresenter);
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  //! Creates the four windows; false when the main window ended the program.
  bool start() {
    backend.clearLog();
    m_program = std::make_unique<qv::ui::Program>(backend);
    return m_program->createWindows();
  }
  //! Closes the main window and destroys the windows, as at the end of the program.
  void finish() {
    m_program->destroyWindows();
    m_program.reset();
  }

  TestProfile profile;
  LifecycleCapture trace;
  QStringList errors;
  RecordingBackend backend{std::make_unique<qv::settings::RegFileBackend>(profile.settingsFile())};

 private:
  std::unique_ptr<qv::ui::Program> m_program;
  qv::ErrorPresenter m_previousPresenter;
};
