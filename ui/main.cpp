#include "main.h"

#include "directory/directory_feature.h"
#include "listening.h"
#include "listening_texts.h"

#include "audio_setup.h"
#include "error_report.h"
#include "frame/window_frame.h"
#include "lifecycle_log.h"
#include "main_window_handle.h"
#include "media_keys.h"
#include "open_url.h"
#include "paths.h"
#include "playlist_commands.h"
#include "settings/settings_key.h"
#include "skin.h"
#include "sound/eq_panel.h"
#include "station_list/station_list_panel.h"
#include "tray.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QVBoxLayout>

#include <utility>

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(qv::settings::SettingsBackend& settings, qv::settings::SettingsModel& model)
    : m_settings(settings), m_model(model), m_frame(new qv::ui::frame::WindowFrame(this)) {
  setObjectName(QStringLiteral("MainForm"));
  // Names the taskbar button; no title bar is drawn.
  setWindowTitle(QStringLiteral("Quorventale"));
  setWindowFlag(Qt::FramelessWindowHint);
  setWindowIcon(qv::ui::applicationIcon());
  // The texts hold their built-in English from the start, also when no language stage runs.
  qv::i18n::applyBuiltInTexts(*this);
  createDesktopParts();
  createControls();
  m_playlistCommands = new qv::ui::PlaylistCommands(*this, m_model);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { update(0, 0, width(), 1); });
}

bool TMainForm::FormCreate() {
  qv::logStage("main 1 file dropping");
  setAcceptDrops(true);

  qv::logStage("main 2 MainWindowHandle");
  qv::setMainWindowHandle(this);

  qv::logStage("main 3 engine version");
  const qv::StageOutcome version = qv::playback::checkEngineVersion();
  qv::logStageOutcome("main 3 engine version", version);
  if (version == qv::StageOutcome::Failed) {
    // No owner window and the system's caption; the language file is not read yet.
    QMessageBox box(QMessageBox::Critical, QString(), l_wrongbass);
    box.exec();
    return false;
  }

  qv::logStage("main 4 output rate");
  const int outputRateHz = readOutputRate();

  qv::logStage("main 5-6 audio output");
  const qv::StageOutcome audio =
      qv::playback::setUpAudioOutput(outputRateHz, m_model.value(qv::settings::OutputDevice));
  qv::logStageOutcome("main 5-6 audio output", audio);
  if (audio == qv::StageOutcome::Failed) {
    // This window never shows after a failed start: the message goes to a box and to standard
    // error (the error presenter), so a start from the desktop is not silent.
    QApplication::beep();
    const QString report = qv::l_cantinit + QStringLiteral("\r\n(") + qv::l_errorcode + QLatin1Char(' ') +
                           QString::number(qv::playback::lastSetUpErrorCode()) + QLatin1Char(')');
    StationLabel->setText(report);
    m_audioOutputMissing = true;
    qv::showError(QString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return false;
  }

  qv::logStage("main 7 clear labels");
  for (QLabel* label : std::initializer_list<QLabel*>{TrackLabel, StationLabel, StatusLabel, leftch, RightCh}) {
    label->clear();
  }

  qv::logStage("main 8 skin");
  qv::logStageOutcome("main 8 skin", m_skin.load());
  assignStartImages();

  qv::logStage("main 9 settings");
  qv::settings::SettingsKey key(m_settings);
  readSettings(key);
  key.close();

  // One level on the platform this was designed for; here the data home itself may be missing.
  qv::logStage("main 11 DataFolder");
  QDir().mkpath(qv::paths::DataFolder());

  qv::logStage("main 12 default playlist");
  qv::logStageOutcome("main 12 default playlist", loadStationList());

  qv::logStage("main 13 recent playlists");
  qv::logStageOutcome("main 13 recent playlists", m_playlistCommands->loadRecent());
  return true;
}

void TMainForm::Localizate(const QString& LangFile) {
  m_languageFile = LangFile;
  const bool applied = m_texts.load(LangFile, *this);
  m_qtTranslations.apply(applied ? QFileInfo(LangFile).completeBaseName() : QString());
  applyCaptions();
  emit languageApplied();
}

void TMainForm::applyCaptions() {
  popOpenPL->setText(m_texts.text(2));
  popSavePlaylist->setText(m_texts.text(3));
  popAddStation->setText(m_texts.text(4));
  StationsPanel->localize([this](int line) { return m_texts.text(line); });
  Equalizer->setTexts(m_texts.text(33), m_texts.text(34));
  if (m_listening) {
    m_listening->applyTexts();
  }
  if (m_directory) {
    m_directory->retranslate();
  }
  // The title-bar buttons are bare images: the hints say which is which.
  MinimizeImage->setToolTip(qv::l_hintminimize);
  OntopImage->setToolTip(qv::l_hintontop);
  SmallImage->setToolTip(qv::l_hintcompact);
  CloseImage->setToolTip(l_setclose);
  if (m_tray) {
    m_tray->setTexts({m_texts.text(1), m_texts.text(24), m_texts.text(25), m_texts.text(28), m_texts.text(29),
                      m_texts.text(31), m_texts.text(32)});
  }
}

void TMainForm::openUrl(const QUrl& url) {
  qv::ui::openUrl(url);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!std::exchange(m_closed, true)) {
    qv::runGuarded([this] { FormClose(); });
    emit closed();
  }
  event->accept();
}

void TMainForm::FormClose() {
  qv::logStage("close 1 media keys");
  unregisterMediaKeys();

  // Each file is saved on its own, also after another failed; the user is told once, at the end.
  QStringList failures;
  qv::logStage("close 2 settings");
  if (m_listening) {
    m_listening->shutDown();  // a sleep timer's fade must not be saved as the volume
  }
  if (const QString error = writeSettings(); !error.isEmpty()) {
    failures.append(error);
  }

  qv::logStage("close 3 skin");
  m_skin.release();
  LogoImage->clear();

  qv::logStage("close 4 default playlist");
  qv::logStageOutcome("close 4 default playlist", saveStationList(failures));

  qv::logStage("close 5 recent playlists");
  qv::logStageOutcome("close 5 recent playlists", m_playlistCommands->saveRecent(failures));
  qv::showErrorsOnce(failures);
}

TMainForm::~TMainForm() {
  qv::logStageOutcome("destroy main window: audio release", qv::playback::releaseAudioOutput());
  shutDownPlayback();
  if (qv::MainWindowHandle() == this) {
    qv::setMainWindowHandle(nullptr);
  }
}
