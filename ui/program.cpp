#include "program.h"

#include "addedit.h"
#include "error_report.h"
#include "lifecycle_log.h"
#include "main.h"
#include "popup.h"
#include "settings.h"
#include "termination.h"

#include <QCoreApplication>

namespace qv::ui {

Program::Program(settings::SettingsBackend& settings) : m_settings(settings) {}

Program::~Program() {
  destroyWindows();
}

bool Program::createWindows() {
  logStage("create main window");
  bool keepRunning = false;
  runGuarded([&] {
    m_mainForm = std::make_unique<TMainForm>(m_settings);
    MainForm = m_mainForm.get();
    keepRunning = true;
    keepRunning = m_mainForm->FormCreate();
  });
  if (!m_mainForm || !keepRunning) {
    m_startUpEndedProgram = true;
    return false;
  }

  logStage("create settings window");
  runGuarded([&] {
    m_settingsForm = std::make_unique<TSettingsForm>(m_settings, *m_mainForm);
    SettingsForm = m_settingsForm.get();
    m_settingsForm->FormCreate();
  });

  logStage("create popup");
  runGuarded([&] {
    m_popupForm = std::make_unique<TPopupForm>(m_settings);
    PopupForm = m_popupForm.get();
    m_popupForm->FormCreate();
  });

  logStage("create add/edit dialog");
  runGuarded([&] {
    m_addEditForm = std::make_unique<TAddEditForm>();
    AddEditForm = m_addEditForm.get();
  });
  return true;
}

int Program::run() {
  logStage("show main window");
  QObject::connect(m_mainForm.get(), &TMainForm::closed, QCoreApplication::instance(), &QCoreApplication::quit,
                   Qt::QueuedConnection);
  closeOnTerminationRequest(m_mainForm.get());
  m_mainForm->show();
  return QCoreApplication::exec();
}

void Program::destroyWindows() {
  if (m_mainForm && !m_startUpEndedProgram) {
    m_mainForm->close();
  }
  if (m_addEditForm) {
    logStage("destroy add/edit dialog");
    AddEditForm = nullptr;
    m_addEditForm.reset();
  }
  if (m_popupForm) {
    logStage("destroy popup");
    PopupForm = nullptr;
    m_popupForm.reset();
  }
  if (m_settingsForm) {
    logStage("destroy settings window");
    SettingsForm = nullptr;
    m_settingsForm.reset();
  }
  if (m_mainForm) {
    logStage("destroy main window");
    MainForm = nullptr;
    m_mainForm.reset();
  }
}

}  // namespace qv::ui
