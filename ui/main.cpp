#include "main.h"

#include "audio_setup.h"
#include "default_playlist.h"
#include "error_report.h"
#include "language_file.h"
#include "lifecycle_log.h"
#include "main_window_handle.h"
#include "media_keys.h"
#include "paths.h"
#include "play_control.h"
#include "recent_playlists.h"
#include "settings/settings_key.h"
#include "skin.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QVBoxLayout>

#include <utility>

TMainForm* MainForm = nullptr;

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

QLabel* infoLabel(QWidget* parent, const char* name, int left, int top) {
  auto* label = named(new QLabel(parent), name);
  label->move(left, top);
  return label;
}

}  // namespace

TMainForm::TMainForm(qv::settings::SettingsBackend& settings) : m_settings(settings) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Quorventale"));
  // The texts hold their built-in English from the start, also when no language stage runs.
  qv::i18n::applyBuiltInTexts(*this);
  createControls();
}

void TMainForm::createControls() {
  setStyleSheet(
      QStringLiteral("TMainForm, QWidget#LargePanel, QWidget#EQPanel, QWidget#PlaylistPanel"
                     " { background: #373737; } QLabel { color: #BBDDFF; }"
                     " QListWidget { background: #4E4E4E; border: none; }"));
  setAttribute(Qt::WA_StyledBackground);

  LargePanel = named(new QWidget(this), "LargePanel");
  LargePanel->setFixedHeight(134);
  LogoImage = named(new QLabel(LargePanel), "LogoImage");
  LogoImage->setFixedWidth(128);
  LargeInfoPanel = named(new QWidget(LargePanel), "LargeInfoPanel");
  auto* largeLayout = new QHBoxLayout(LargePanel);
  largeLayout->setContentsMargins(0, 0, 0, 0);
  largeLayout->setSpacing(3);
  largeLayout->addWidget(LogoImage);
  largeLayout->addWidget(LargeInfoPanel, 1);

  TrackLabel = infoLabel(LargeInfoPanel, "TrackLabel", 6, 26);
  StationLabel = infoLabel(LargeInfoPanel, "StationLabel", 6, 61);
  StatusLabel = infoLabel(LargeInfoPanel, "StatusLabel", 23, 78);
  leftch = infoLabel(LargeInfoPanel, "leftch", 3, 78);
  RightCh = infoLabel(LargeInfoPanel, "RightCh", 103, 78);
  VolumeTB = named(new QSlider(Qt::Horizontal, LargeInfoPanel), "VolumeTB");
  VolumeTB->setRange(0, 100);
  VolumeTB->setValue(100);
  VolumeTB->hide();

  EQPanel = named(new QWidget(this), "EQPanel");
  EQPanel->setFixedHeight(88);
  EQPanel->hide();

  PlaylistPanel = named(new QWidget(this), "PlaylistPanel");
  PLLeftPanel = named(new QWidget(PlaylistPanel), "PLLeftPanel");
  PLLeftPanel->setFixedWidth(106);
  TagsListBox = named(new QListWidget(PLLeftPanel), "TagsListBox");
  TagsListBox->setFixedHeight(38);
  PLRightPanel = named(new QWidget(PlaylistPanel), "PLRightPanel");
  auto* leftLayout = new QVBoxLayout(PLLeftPanel);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addStretch(1);
  leftLayout->addWidget(TagsListBox);
  auto* playlistLayout = new QHBoxLayout(PlaylistPanel);
  playlistLayout->setContentsMargins(0, 0, 0, 0);
  playlistLayout->setSpacing(3);
  playlistLayout->addWidget(PLLeftPanel);
  playlistLayout->addWidget(PLRightPanel, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 1, 0, 0);
  layout->setSpacing(3);
  layout->addWidget(LargePanel);
  layout->addWidget(EQPanel);
  layout->addWidget(PlaylistPanel, 1);
  resize(423, 363);
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
  const qv::StageOutcome audio = qv::playback::setUpAudioOutput(outputRateHz);
  qv::logStageOutcome("main 5-6 audio output", audio);
  if (audio == qv::StageOutcome::Failed) {
    // The error signal goes to this window only; the popup player does not exist yet.
    QApplication::beep();
    StationLabel->setText(qv::l_cantinit + QStringLiteral("\r\n(") + qv::l_errorcode + QLatin1Char(' ') +
                          QString::number(qv::playback::lastSetUpErrorCode()) + QLatin1Char(')'));
    return false;
  }

  qv::logStage("main 7 clear labels");
  for (QLabel* label : {TrackLabel, StationLabel, StatusLabel, leftch, RightCh}) {
    label->clear();
  }

  qv::logStage("main 8 skin");
  qv::logStageOutcome("main 8 skin", qv::ui::loadSkinImages());

  qv::logStage("main 9 settings");
  qv::settings::SettingsKey key(m_settings);
  readSettings(key);
  key.close();

  // One level on the platform this was designed for; here the data home itself may be missing.
  qv::logStage("main 11 DataFolder");
  QDir().mkpath(qv::paths::DataFolder());

  qv::logStage("main 12 default playlist");
  qv::logStageOutcome("main 12 default playlist", qv::loadDefaultPlaylist());

  qv::logStage("main 13 recent playlists");
  qv::logStageOutcome("main 13 recent playlists", qv::playlists::loadRecentPlaylists());
  return true;
}

void TMainForm::Localizate(const QString& LangFile) {
  m_languageFile = LangFile;
  qv::i18n::applyBuiltInTexts(*this);
  qv::logStageOutcome("Localizate language file", qv::i18n::applyLanguageFile(LangFile, *this));
}

void TMainForm::Play() {
  qv::logStageOutcome("Play", qv::playback::playCurrentStation());
}

void TMainForm::registerMediaKeys() {
  qv::logStageOutcome("register media keys", qv::ui::registerMediaKeys());
}

void TMainForm::unregisterMediaKeys() {
  qv::logStageOutcome("unregister media keys", qv::ui::unregisterMediaKeys());
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

  qv::logStage("close 2 settings");
  writeSettings();

  qv::logStage("close 3 skin");
  qv::logStageOutcome("close 3 skin", qv::ui::releaseSkinImages());

  qv::logStage("close 4 default playlist");
  qv::logStageOutcome("close 4 default playlist", qv::saveDefaultPlaylist());

  qv::logStage("close 5 recent playlists");
  qv::logStageOutcome("close 5 recent playlists", qv::playlists::saveRecentPlaylists());
}

TMainForm::~TMainForm() {
  qv::logStageOutcome("destroy main window: audio release", qv::playback::releaseAudioOutput());
  if (qv::MainWindowHandle() == this) {
    qv::setMainWindowHandle(nullptr);
  }
}
