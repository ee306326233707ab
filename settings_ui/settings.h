#pragma once

#include "interface_texts.h"
#include "settings/registry_key.h"
#include "settings/settings_key.h"
#include "settings/settings_model.h"
#include "update_check.h"

#include <QUrl>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace qv::settings_ui {
class HoverLinkLabel;
}

//! What the settings window asks of the main window, which implements it.
class SettingsWindowHost {
 public:
  virtual const qv::i18n::MainFormTexts& mainFormTexts() const = 0;
  //! The main window's `Localizate`: every text from the language file `LangFile` (or English).
  virtual void Localizate(const QString& LangFile) = 0;
  //! The playback buffer of the streams opened from now on.
  virtual void SetBufferSize(int bufferMs) = 0;
  //! Opens a web page with the desktop's handler.
  virtual void openUrl(const QUrl& url) = 0;
  //! The main window's `Play`: start the station at CurrentStation.
  virtual void Play() = 0;
  //! The main window's frame, to centre the settings window over it.
  virtual QRect mainWindowFrame() const = 0;
  //! The four global media keys, registered with the main window.
  virtual void registerMediaKeys() = 0;
  virtual void unregisterMediaKeys() = 0;
  //! The output devices the system reports, by name.
  virtual QStringList outputDevices() = 0;

 protected:
  ~SettingsWindowHost() = default;
};

//! The settings window. Created hidden right after the main window; its controls show the values of
//! the settings model and write each change back to it, and every other part reads the model.
//! Closing it only hides it; its values are written when it is destroyed at the end of the program.
class TSettingsForm : public QWidget {
  Q_OBJECT

 public:
  TSettingsForm(qv::settings::SettingsBackend& settings, qv::settings::SettingsModel& model, SettingsWindowHost& host);
  ~TSettingsForm() override;

  //! Start-up: fill the language list, read the settings into the controls, apply the texts, play
  //! on start, handle waiting events once, check for updates. An exception ends it early.
  void FormCreate();
  //! Applies the main window's current texts to this window's captions, and fits the controls to
  //! them.
  void Localizate();
  //! A language picked in the list: the whole program takes it at once.
  void LangBoxChange();
  //! Closing (button, Escape, close box) hides the window; the buffer length becomes the playback
  //! buffer for the next station.
  void FormClose();

  //! The update question; true for "download". Replaceable, so tests can answer it.
  using UpdateQuestion = std::function<bool(const QString& message, bool offersDownload)>;
  void setUpdateQuestion(UpdateQuestion question);
  //! The check's answer named another version: the label shows and keeps the answer for a click.
  void showUpdateOffer(const qv::update::UpdateOffer& offer);
  void UpdateLabelClick();
  void LinkLabelClick();

  // Controls, named as the rest of the program refers to them.
  QLabel* lLang;
  QComboBox* LangBox;
  QLabel* ProxyLabel;
  QLineEdit* ProxyServerEdit;
  QCheckBox* HotkeysCheckBox;
  QCheckBox* TrayCheckBox;
  QLabel* MouseStepLabel;
  QSpinBox* MouseStepSpin;
  QCheckBox* InvertMouseCheckBox;
  QLabel* KeyStepLabel;
  QSpinBox* KeyStepSpin;
  QLabel* BufferLabel;
  QSpinBox* bufferSE;
  QCheckBox* cbPlayOnStart;
  QCheckBox* LoopStationCheckBox;
  QLabel* lDiscr;
  QComboBox* cbDiscr;
  //! "System default" (holding "") first, then the devices as the system names them.
  QLabel* OutputDeviceLabel;
  QComboBox* OutputDeviceBox;
  QCheckBox* WinnotifyCB;
  //! Reopens a station that drops by itself (setting `Reconnect`).
  QCheckBox* ReconnectCheckBox;
  QCheckBox* LevellingCheckBox;
  QLabel* LevellingTargetLabel;
  QSpinBox* LevellingTargetSpin;
  QCheckBox* CrossfadeCheckBox;
  qv::settings_ui::HoverLinkLabel* UpdateLabel;
  QPushButton* CloseButton;
  //! The product site's host name; hidden when this build names none.
  qv::settings_ui::HoverLinkLabel* LinkLabel;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void createControls();
  void bindControls();
  void arrangeControls();
  void fitToTexts();
  void readSettings(qv::settings::SettingsKey& key);
  void writeSettings();
  void HotkeysCheckBoxClick();

  qv::settings::SettingsBackend& m_settings;
  qv::settings::SettingsModel& m_model;
  SettingsWindowHost& m_host;
  // Without a stored position the window opens centred over the main window.
  bool m_centreOnFirstShow = true;
  qv::update::UpdateCheck* m_updateCheck;
  QString m_updateHost;
  UpdateQuestion m_updateQuestion;
  // The answer kept for a click on the update label.
  QString LastVersion, whatnew, lnk;
};

//! Program-wide reference; empty until the settings window has been created.
extern TSettingsForm* SettingsForm;
