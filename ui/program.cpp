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
namespace {

// The program-wide reference is emptied first, so nothing reaches a window while it is destroyed.
template <typename Form>
void destroyWindow(const char* stage, std::unique_ptr<Form>& window, Form*& reference) {
  if (window) {
    logStage(stage);
    reference = nullptr;
    window.reset();
  }
}

}  // namespace

Program::Program(settings::SettingsBackend& settings) : m_settings(settings) {}

Program::~Program() {
  destroyWindows();
}

bool Program::createWindows() {
  logStage("create main window");
  bool keepRunning = false;
  runGuarded([&] {
    m_mainForm = std::make_unique<TMainForm>(m_settings, m_model);
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
    m_settingsForm = std::make_unique<TSettingsForm>(m_settings, m_model, *m_mainForm);
    SettingsForm = m_settingsForm.get();
    m_settingsForm->FormCreate();
  });

  logStage("create popup");
  runGuarded([&] {
    m_popupForm = std::make_unique<TPopupForm>(m_settings, m_mainForm->skin());
    PopupForm = m_popupForm.get();
    m_popupForm->FormCreate();
    m_mainForm->attachPopup(*m_popupForm);
  });

  logStage("create add/edit dialog");
  runGuarded([&] {
    m_addEditForm = std::make_unique<TAddEditForm>();
    AddEditForm = m_addEditForm.get();
  });
  return true;
}

int Program::startUpExitStatus() const {
  return m_mainForm && m_mainForm->audioOutputMissing() ? kExitNoAudioOutput : kExitStartUpFailed;
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
  destroyWindow("destroy add/edit dialog", m_addEditForm, AddEditForm);
  destroyWindow("destroy popup", m_popupForm, PopupForm);
  destroyWindow("destroy settings window", m_settingsForm, SettingsForm);
  destroyWindow("destroy main window", m_mainForm, MainForm);
}

}  // namespace qv::ui
